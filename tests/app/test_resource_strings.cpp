// The bundled string table, read the way the application reads it: every id the application
// asks for has a text in every language, the language menu is right, and the table agrees with
// its UTF-8 source.
#include "app/string_table.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace vemora;
using namespace vemoraVeriglow;

namespace {

// Every string id the application looks up.
const long kIds[] = {
    1001, 1002,                                            // dialog buttons
    2000, 2010, 2011, 2012, 2020, 2021,                    // preference dialog
    2030, 2031, 2032,                                      // profile file dialog titles
    2201, 2202, 2210, 2211, 2212,                          // menus 1 and 2
    2220, 2221, 2222, 2223, 2224, 2225, 2226, 2227, 2228, 2229, 2230, // menus 3 and 4
    2290, 2291,                                            // load and none items of profile popups
    2300, 2301, 2302, 2303,                                // profile-setting panel
    2310, 2311, 2312, 2313, 2314, 2315, 2316, 2317, 2318,
    2400, 2401, 2450,                                      // colour sampler
    2500, 2501,                                            // zoom-to panel
    3000, 3001, 3002, 3003, 3004, 3005, 3006, 3007, 3008, 3009, 3010, // alerts, open dialog
    3500, 3501, 3502,                                      // colour space names
    3600, 3601, 3602, 3603,                                // rendering intents
};
const long kRegions[] = {1, 2};

std::string sourcePath() { return std::string(VERIGLOW_SOURCE_DIR) + "/scripts/strings/strings.utf8.txt"; }

// (region, id) -> text of the UTF-8 source.
std::map<std::pair<long, long>, std::string> readSource()
{
    std::map<std::pair<long, long>, std::string> out;
    std::ifstream in(sourcePath());
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos)
            continue;
        out[{std::stol(line.substr(0, a)), std::stol(line.substr(a + 1, b - a - 1))}] = line.substr(b + 1);
    }
    return out;
}

// The printf directives of a text, in order ("%d", "%s", "%.2f" ...); "%%" counts too.
std::vector<std::string> directives(const std::string& t)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '%')
            continue;
        std::size_t j = i + 1;
        while (j < t.size() && (std::strchr("-+#0.", t[j]) || std::isdigit(static_cast<unsigned char>(t[j]))))
            ++j;
        if (j < t.size() && (std::isalpha(static_cast<unsigned char>(t[j])) || t[j] == '%')) {
            out.push_back(t.substr(i, j - i + 1));
            i = j;
        }
    }
    return out;
}

class ResourceStrings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(open_parambase_file("param.txt"));
        ASSERT_TRUE(open_stringbase_file(get_param_string_by_id(100)));
    }
    void TearDown() override
    {
        close_stringbase_file();
        close_parambase_file();
    }
    // Every id's text in `region`.
    static std::map<long, std::string> texts(long region)
    {
        read_string_by_region_code(region);
        std::map<long, std::string> out;
        for (long id : kIds)
            out[id] = get_string_by_id(id).toUTF8();
        return out;
    }
};

TEST_F(ResourceStrings, EveryIdHasATextInEveryLanguage)
{
    for (long region : kRegions) {
        EXPECT_EQ(read_string_by_region_code(region), static_cast<long>(std::size(kIds))) << "region " << region;
        for (const auto& [id, text] : texts(region)) {
            EXPECT_FALSE(text.empty()) << "region " << region << " id " << id;
            EXPECT_NE(text, "???") << "region " << region << " id " << id;
        }
    }
}

TEST_F(ResourceStrings, LanguageMenuIsEnglishThenGerman)
{
    const auto menu = get_string_regions();
    std::map<long, std::string> names;
    for (const auto& [region, name] : menu)
        names[region] = name.toUTF8();
    EXPECT_EQ(names, (std::map<long, std::string>{{1, "English"}, {2, "Deutsch"}}));
}

TEST_F(ResourceStrings, GermanIsATranslation)
{
    const auto en = texts(1), de = texts(2);
    // Where German has its own word.
    for (long id : {1002L, 2000L, 2201L, 2210L, 2212L, 2300L, 2314L, 2318L, 3000L, 3001L, 3007L, 3010L, 3600L, 3601L})
        EXPECT_NE(en.at(id), de.at(id)) << "id " << id;
    // The interface file relies on which button is which.
    EXPECT_EQ(en.at(1001), "OK");
    EXPECT_EQ(en.at(1002), "Cancel");
    EXPECT_EQ(de.at(1001), "OK");
    EXPECT_EQ(de.at(1002), "Abbrechen");
    EXPECT_EQ(de.at(2212), "Schließen") << "non-ASCII text survives the UTF-16 round trip";
    for (long id : {3500L, 3501L, 3502L})
        EXPECT_EQ(en.at(id), de.at(id)) << "colour space names are the same in every language";
}

TEST_F(ResourceStrings, NoTextIsAFormatOrHoldsAMnemonicMarker)
{
    // No looked-up text is used as a format: a directive in one would be printed as it stands,
    // and '&' would be taken by the controls for a mnemonic.
    for (long region : kRegions)
        for (const auto& [id, text] : texts(region)) {
            EXPECT_TRUE(directives(text).empty()) << "region " << region << " id " << id << ": " << text;
            EXPECT_EQ(text.find('&'), std::string::npos) << "region " << region << " id " << id;
            EXPECT_EQ(text.find('\r'), std::string::npos) << "region " << region << " id " << id;
        }
    EXPECT_EQ(directives("H: %d V: %5.1f 100%% %s"), (std::vector<std::string>{"%d", "%5.1f", "%%", "%s"}));
    EXPECT_TRUE(directives("100 % (100%)").empty());
}

TEST_F(ResourceStrings, LaterLanguagesFallBackToEnglish)
{
    const auto en = texts(1), unknown = texts(3);
    EXPECT_EQ(unknown, en);
}

TEST_F(ResourceStrings, BundledTableIsTheSource)
{
    const auto source = readSource();
    std::set<long> englishIds;
    for (const auto& [key, text] : source)
        if (key.first == 1 && key.second != 0)
            englishIds.insert(key.second);
    EXPECT_EQ(englishIds, std::set<long>(std::begin(kIds), std::end(kIds)))
        << "the source holds exactly the ids the application uses";
    for (long region : kRegions) {
        read_string_by_region_code(region);
        std::size_t compared = 0;
        for (const auto& [key, text] : source) {
            if (key.first != region || key.second == 0)
                continue;
            EXPECT_EQ(get_string_by_id(key.second).toUTF8(), text) << "region " << region << " id " << key.second;
            ++compared;
        }
        EXPECT_EQ(compared, std::size(kIds)) << "region " << region;
    }
}

TEST(ResourceStringsFile, IsBigEndianUtf16WithMarkAndLineFeeds)
{
    const auto bytes = vgtest::readFile(std::string(VERIGLOW_SOURCE_DIR) + "/resources/strings.txt");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 0xFF);
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::size_t lineFeeds = 0;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] << 8 | bytes[i + 1];
        EXPECT_NE(unit, 0x0Du) << "no carriage returns, at byte " << i;
        lineFeeds += unit == 0x0A;
    }
    EXPECT_EQ(bytes[bytes.size() - 2], 0x00);
    EXPECT_EQ(bytes[bytes.size() - 1], 0x0A) << "the last line ends with a line feed";
    // Two language names, region 0 (the English defaults), English and German.
    EXPECT_EQ(lineFeeds, 2 + 3 * std::size(kIds));
}

} // namespace
