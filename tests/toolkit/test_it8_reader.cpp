#include "toolkit/image_resources.h"
#include "toolkit/it8_reader.h"

#include <gtest/gtest.h>

using namespace vemora;
using namespace vemora::nsp_It8TypeReader;

namespace {

Text T(const std::string& s)
{
    Text t;
    t.assign(reinterpret_cast<const unsigned char*>(s.data()), 0, static_cast<unsigned long>(s.size()));
    return t;
}

std::string S(const Text& t)
{
    std::string s;
    for (unsigned short u : t.units())
        s.push_back(char(u));
    return s;
}

Reader configured()
{
    Reader r;
    nsp_Carbon::ImgResourceMng::set_reader(r);
    return r;
}

} // namespace

TEST(It8Reader, QuotedColumnNameIsAStringWord)
{
    Reader r = configured();
    ASSERT_TRUE(r.readRawString(T("begin_data_format idclass id \"dir\" image end_data_format\n"
                                  "begin_data 1 2 x y end_data")));
    EXPECT_EQ(r.getColumnCount(), 4);
    const Word& third = r.getWords()[size_t(r.getFormatFirst() + 2)];
    EXPECT_EQ(S(third.text), "dir");
    EXPECT_EQ(third.type, kString);
    EXPECT_EQ(r.getWords()[size_t(r.getFormatFirst())].type, kKeyword);
}

TEST(It8Reader, SplitsWordsStringsAndComments)
{
    struct Case {
        const char* text;
        std::vector<std::pair<std::string, int32_t>> words;
    };
    const Case cases[] = {
        {"\"a\"\"b\"", {{"a\"b", kString}}},
        {"\"\" x", {{"", kString}, {"x", kOther}}},
        {"\"a#b\" c", {{"a#b", kString}, {"c", kOther}}},
        {"ab#comment\ncd", {{"ab", kOther}, {"cd", kOther}}},
        {"# only a comment\r\n\r\n\tx", {{"x", kOther}}},
        {"x\"open", {{"x", kOther}, {"open", kOther}}},
        {"x \"", {{"x", kOther}, {"", kOther}}},
        {"-12 1.5 -.5 1e5 - .", {{"-12", kInteger}, {"1.5", kReal}, {"-.5", kReal}, {"1e5", kOther},
                                 {"-", kInteger}, {".", kReal}}},
        {"end_data IMAGE image", {{"end_data", kKeyword}, {"IMAGE", kOther}, {"image", kKeyword}}},
        {"a\"b c\"d", {{"a", kOther}, {"b c", kString}, {"d", kOther}}},
    };
    for (const Case& c : cases) {
        Reader r = configured();
        EXPECT_FALSE(r.readRawString(T(c.text))) << c.text; // no sections
        ASSERT_EQ(r.getWords().size(), c.words.size()) << c.text;
        for (size_t i = 0; i < c.words.size(); ++i) {
            EXPECT_EQ(S(r.getWords()[i].text), c.words[i].first) << c.text << " word " << i;
            EXPECT_EQ(r.getWords()[i].type, c.words[i].second) << c.text << " word " << i;
        }
    }
}

TEST(It8Reader, RowsAreWholeRowsOfTheColumns)
{
    Reader r = configured();
    ASSERT_TRUE(r.readRawString(T("begin_data_format a b c end_data_format begin_data 1 2 3 4 5 6 7 end_data")));
    EXPECT_EQ(r.getColumnCount(), 3);
    EXPECT_EQ(r.getValueCount(), 7);
    EXPECT_EQ(r.getRowCount(), 2); // the seventh value is ignored
    std::vector<long> pos;
    r.getFormatDataPos(pos, {{T("C"), 0}, {T("A"), 1}, {T("b"), 1}, {T("zz"), 0}});
    EXPECT_EQ(pos, (std::vector<long>{2, -1, 1, -1}));
    std::vector<Word> row;
    ASSERT_TRUE(r.getWordsByFormatDataPos(row, pos, 1));
    ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(S(row[0].text), "6");
    EXPECT_EQ(row[1].type, kMissingColumn);
    EXPECT_TRUE(row[1].text.empty());
    EXPECT_EQ(S(row[2].text), "5");
    // Outside the table: placeholders, never a read past the words.
    EXPECT_FALSE(r.getWordsByFormatDataPos(row, pos, 2));
    EXPECT_TRUE(r.getWordsByFormatDataPos(row, {5, 100}, 0));
    EXPECT_EQ(row[0].type, kMissingColumn);
    EXPECT_EQ(row[1].type, kMissingColumn);
}

TEST(It8Reader, UpperCaseLookupFindsLowerCaseColumn)
{
    Reader r = configured();
    ASSERT_TRUE(r.readRawString(T("begin_data_format id image end_data_format begin_data 1 x end_data")));
    std::vector<long> pos;
    r.getFormatDataPos(pos, {{T("IMAGE"), 0}, {T("IMAGE"), 1}});
    EXPECT_EQ(pos, (std::vector<long>{1, -1}));
}

TEST(It8Reader, RefusesFilesWithoutATable)
{
    const char* bad[] = {
        "begin_data_format a end_data_format begin_data 1 2",     // no end_data
        "begin_data_format a end_data_format",                     // no data section
        "begin_data_format end_data_format begin_data 1 end_data", // no columns
        "begin_data_format a end_data_format begin_data end_data", // no values
        "end_data_format begin_data_format a begin_data 1 end_data", // end before begin
        "end_data begin_data 1 begin_data_format a end_data_format",
        "begin_data_format a end_data_format begin_data",          // nothing after the keyword
        "",
    };
    for (const char* b : bad) {
        Reader r = configured();
        EXPECT_FALSE(r.readRawString(T(b))) << b;
        EXPECT_EQ(r.getRowCount(), 0) << b;
    }
}

TEST(It8Reader, WordEqualityIgnoresTypeZero)
{
    EXPECT_EQ(Word(T("a"), 0), Word(T("a"), 4));
    EXPECT_NE(Word(T("a"), 2), Word(T("a"), 4));
    EXPECT_NE(Word(T("a"), 0), Word(T("b"), 0));
    EXPECT_TRUE(equalsIgnoringAsciiCase(T("IdClass"), T("idclass")));
    EXPECT_FALSE(equalsIgnoringAsciiCase(T("id"), T("idx")));
}
