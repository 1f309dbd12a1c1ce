#include "toolkit/it8_reader.h"

namespace vemora::nsp_It8TypeReader {

namespace {

enum State { kInString = 1, kInComment = 2, kPlain = 3 };

Char lowerAscii(Char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

} // namespace

bool equalsIgnoringAsciiCase(const Text& a, const Text& b)
{
    if (a.length() != b.length())
        return false;
    for (unsigned long i = 0; i < a.length(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

void Reader::setDataReadyParameter(const Text& formatBegin, const Text& formatEnd, const Text& dataBegin,
                                   const Text& dataEnd)
{
    formatBegin_ = formatBegin;
    formatEnd_ = formatEnd;
    dataBegin_ = dataBegin;
    dataEnd_ = dataEnd;
}

void Reader::pushWord(const std::vector<Char>& units, int32_t type)
{
    words_.emplace_back(Text(units), type);
}

int32_t Reader::getTypeByWord(const Text& text) const
{
    if (text.empty())
        return kString;
    bool digitsAndMinus = true, numeric = true;
    for (Char c : text.units()) {
        bool digit = c >= '0' && c <= '9';
        if (!digit && c != '-')
            digitsAndMinus = false;
        if (!digit && c != '-' && c != '.')
            numeric = false;
    }
    if (digitsAndMinus)
        return kInteger;
    if (numeric)
        return kReal; // holds at least one '.', or the test above would have matched
    if (keywords_.count(text))
        return kKeyword;
    return kOther;
}

size_t Reader::getWordByRaw(const std::vector<Char>& raw, size_t pos)
{
    size_t end = pos;
    while (end < raw.size() && !isSeparateChar(raw[end]) && !isCommentChar(raw[end]) && !isStringChar(raw[end]))
        ++end;
    std::vector<Char> units(raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(end));
    pushWord(units, getTypeByWord(Text(units)));
    return end;
}

size_t Reader::getStringByRaw(const std::vector<Char>& raw, size_t pos)
{
    std::vector<Char> units;
    while (pos < raw.size()) {
        Char c = raw[pos];
        if (isStringChar(c)) {
            if (pos + 1 < raw.size() && isStringChar(raw[pos + 1])) {
                units.push_back(c); // a doubled quote stands for one
                pos += 2;
                continue;
            }
            pushWord(units, kString);
            return pos + 1;
        }
        units.push_back(c);
        ++pos;
    }
    pushWord(units, kOther); // the text ended inside the string
    return pos;
}

size_t Reader::getCommentByRaw(const std::vector<Char>& raw, size_t pos) const
{
    while (pos < raw.size() && !isTerminateChar(raw[pos]))
        ++pos;
    while (pos < raw.size() && isTerminateChar(raw[pos]))
        ++pos;
    return pos;
}

bool Reader::readRawString(const Text& text)
{
    words_.clear();
    const std::vector<Char>& raw = text.units();
    size_t pos = 0;
    State state = kPlain;
    while (pos < raw.size()) {
        if (state == kPlain) {
            Char c = raw[pos];
            if (isStringChar(c)) {
                state = kInString;
                ++pos;
            } else if (isCommentChar(c)) {
                state = kInComment;
                ++pos;
            } else if (isSeparateChar(c)) {
                ++pos;
            } else {
                pos = getWordByRaw(raw, pos);
            }
        } else if (state == kInString) {
            if (isStringChar(raw[pos])) {
                pushWord({}, kString);
                ++pos;
            } else {
                pos = getStringByRaw(raw, pos);
            }
            state = kPlain;
        } else {
            pos = getCommentByRaw(raw, pos);
            state = kPlain;
        }
    }
    if (state == kInString)
        pushWord({}, kOther); // a quote as the last character opens a string that never closes
    return readyData();
}

bool Reader::getDataRange(long* first, long* last, const Text& beginKeyword, const Text& endKeyword) const
{
    long begin = -1, end = -1;
    for (size_t i = 0; i < words_.size(); ++i) {
        if (begin < 0 && words_[i].text == beginKeyword)
            begin = static_cast<long>(i);
        if (end < 0 && words_[i].text == endKeyword)
            end = static_cast<long>(i);
    }
    if (begin < 0 || end < 0 || begin + 1 >= static_cast<long>(words_.size()))
        return false;
    *first = begin + 1;
    *last = end;
    return true;
}

void Reader::resetSections()
{
    formatFirst_ = formatLast_ = dataFirst_ = dataLast_ = 0;
    columnCount_ = valueCount_ = rowCount_ = 0;
}

bool Reader::readyData()
{
    resetSections();
    long ff = 0, fl = 0, df = 0, dl = 0;
    if (!getDataRange(&ff, &fl, formatBegin_, formatEnd_) || !getDataRange(&df, &dl, dataBegin_, dataEnd_))
        return false;
    // An end keyword before its begin keyword, or an empty section, gives no table.
    if (fl <= ff || dl <= df)
        return false;
    formatFirst_ = ff;
    formatLast_ = fl;
    dataFirst_ = df;
    dataLast_ = dl;
    columnCount_ = fl - ff;
    valueCount_ = dl - df;
    rowCount_ = valueCount_ / columnCount_;
    return true;
}

void Reader::getFormatDataPos(std::vector<long>& positions, const std::vector<FindKeyWord>& keys) const
{
    for (const FindKeyWord& key : keys) {
        long found = -1;
        for (long i = formatFirst_; i < formatLast_; ++i) {
            const Text& t = words_[static_cast<size_t>(i)].text;
            if (key.exact == 0 ? equalsIgnoringAsciiCase(t, key.text) : t == key.text) {
                found = i - formatFirst_;
                break;
            }
        }
        positions.push_back(found);
    }
}

bool Reader::getWordsByFormatDataPos(std::vector<Word>& out, const std::vector<long>& positions, long row) const
{
    out.clear();
    bool rowInside = row >= 0 && row < rowCount_;
    for (long p : positions) {
        if (!rowInside || p < 0 || p >= columnCount_)
            out.emplace_back(Text(), kMissingColumn);
        else
            out.push_back(words_[static_cast<size_t>(dataFirst_ + row * columnCount_ + p)]);
    }
    return rowInside;
}

} // namespace vemora::nsp_It8TypeReader
