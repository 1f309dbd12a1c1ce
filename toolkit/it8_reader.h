#pragma once
// Reader of keyword-and-table text files in the style of IT8 / CGATS colour data files: a
// stream of words, a format section naming the columns and a data section with the values row
// after row. The interface-picture description file is read with it.
#include "foundation/unistring.h"

#include <set>
#include <vector>

namespace vemora::nsp_It8TypeReader {

using Char = unsigned short;
using Text = BasicUniString<unsigned short>;

enum WordType : int32_t {
    kAny = 0,
    kKeyword = 1,
    kInteger = 2,
    kReal = 3,
    kString = 4,
    kOther = 5,
    kMissingColumn = 7,
};

struct Word {
    Word() = default;
    Word(const Text& t, int32_t ty) : text(t), type(ty) {}
    Text text;
    int32_t type = kAny;
    // Type 0 on either side matches any type.
    bool operator==(const Word& o) const
    {
        return text == o.text && (type == kAny || o.type == kAny || type == o.type);
    }
    bool operator!=(const Word& o) const { return !(*this == o); }
};

struct FindKeyWord {
    FindKeyWord() = default;
    FindKeyWord(const Text& t, int32_t e) : text(t), exact(e) {}
    Text text;
    int32_t exact = 0; // 0: ASCII letters compared without case
};

class Reader {
public:
    Reader() = default;

    void addSeparateChar(Char c) { separators_.insert(c); }
    void addTerminateChar(Char c) { terminators_.insert(c); }
    void addCommentChar(Char c) { commentChars_.insert(c); }
    void addStringChar(Char c) { stringChars_.insert(c); }
    void addKeyword(const Text& k) { keywords_.insert(k); }
    void setDataReadyParameter(const Text& formatBegin, const Text& formatEnd, const Text& dataBegin,
                               const Text& dataEnd);

    bool isSeparateChar(Char c) const { return separators_.count(c) || terminators_.count(c); }
    bool isTerminateChar(Char c) const { return terminators_.count(c) != 0; }
    bool isCommentChar(Char c) const { return commentChars_.count(c) != 0; }
    bool isStringChar(Char c) const { return stringChars_.count(c) != 0; }

    // Splits the text into words, then finds the two sections.
    bool readRawString(const Text& text);
    bool readyData();
    bool getDataRange(long* first, long* last, const Text& beginKeyword, const Text& endKeyword) const;
    int32_t getTypeByWord(const Text& text) const;

    // For each key, its column within the format section, or -1.
    void getFormatDataPos(std::vector<long>& positions, const std::vector<FindKeyWord>& keys) const;
    // The words of one row at the given columns; -1, or a row or column outside the table,
    // gives an empty word of type 7. False when the row is outside the table.
    bool getWordsByFormatDataPos(std::vector<Word>& out, const std::vector<long>& positions, long row) const;

    const std::vector<Word>& getWords() const { return words_; }
    long getColumnCount() const { return columnCount_; }
    long getValueCount() const { return valueCount_; }
    long getRowCount() const { return rowCount_; }
    long getFormatFirst() const { return formatFirst_; }
    long getDataFirst() const { return dataFirst_; }

private:
    size_t getWordByRaw(const std::vector<Char>& raw, size_t pos);
    size_t getStringByRaw(const std::vector<Char>& raw, size_t pos);
    size_t getCommentByRaw(const std::vector<Char>& raw, size_t pos) const;
    void pushWord(const std::vector<Char>& units, int32_t type);
    void resetSections();

    std::vector<Word> words_;
    std::set<Char> separators_, terminators_, commentChars_, stringChars_;
    std::set<Text> keywords_;
    Text formatBegin_, formatEnd_, dataBegin_, dataEnd_;
    long formatFirst_ = 0, formatLast_ = 0, dataFirst_ = 0, dataLast_ = 0;
    long columnCount_ = 0, valueCount_ = 0, rowCount_ = 0;
};

// ASCII letters compared without regard to case; every other unit exactly.
bool equalsIgnoringAsciiCase(const Text& a, const Text& b);

} // namespace vemora::nsp_It8TypeReader
