#include "app/alert.h"
#include "app/folders.h"
#include "app/string_table.h"
#include "foundation/carbon_file.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

using namespace vemora;
using namespace vemoraVeriglow;

namespace {

// A UTF-16 table file with a byte order mark.
std::vector<unsigned char> utf16(const std::string& text, bool big)
{
    std::vector<unsigned char> out = big ? std::vector<unsigned char>{0xFE, 0xFF} : std::vector<unsigned char>{0xFF, 0xFE};
    for (char16_t u : utf8_to_utf16(text)) {
        const unsigned char hi = static_cast<unsigned char>(u >> 8), lo = static_cast<unsigned char>(u);
        out.push_back(big ? hi : lo);
        out.push_back(big ? lo : hi);
    }
    return out;
}

class Tables : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir_ / "share" / "veriglow");
        nsp_MacCarbonFile::setBundleRoot(dir_.str());
    }
    void TearDown() override
    {
        close_stringbase_file();
        close_parambase_file();
        nsp_MacCarbonFile::setBundleRoot("");
    }
    void resource(const std::string& name, const std::vector<unsigned char>& bytes)
    {
        vgtest::writeFile(dir_ / "share" / "veriglow" / name, bytes);
    }
    std::string str(long id) { return get_string_by_id(id).toUTF8(); }
    vgtest::TempDir dir_;
};

const char* kStrings = "0\t5\tdefault five\n"
                       "2\t5\tzwei f\xC3\xBC" "nf\n"
                       "0\t6\tonly default\r\n"
                       "1\t0\tEnglish\n"
                       "2\t0\tDeutsch\n"
                       " +2\t7\tspaced\n"
                       "2\t5\tlater wins\n"
                       "0\t8\tno line feed at the end";

TEST_F(Tables, RegionTextsFallBackToRegionZero)
{
    resource("strings.txt", utf16(kStrings, true));
    ASSERT_TRUE(open_stringbase_file(UniString::fromUTF8("strings.txt")));
    EXPECT_EQ(str(5), "???") << "nothing is loaded before the first region";
    EXPECT_EQ(read_string_by_region_code(2), 4);
    EXPECT_EQ(str(5), "later wins");
    EXPECT_EQ(str(6), "only default\r") << "a carriage return stays part of the text";
    EXPECT_EQ(str(7), "spaced");
    EXPECT_EQ(str(8), "no line feed at the end");
    EXPECT_EQ(str(0), "???") << "language names are not entries";
    EXPECT_EQ(read_string_by_region_code(3), 3);
    EXPECT_EQ(str(5), "default five");
    EXPECT_EQ(str(9), "???");
    const auto menu = get_string_regions();
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu.at(2).toUTF8(), "Deutsch");
}

TEST_F(Tables, LittleEndianTwinReadsTheSame)
{
    resource("le.txt", utf16(kStrings, false));
    ASSERT_TRUE(open_stringbase_file(UniString::fromUTF8("le.txt")));
    read_string_by_region_code(2);
    EXPECT_EQ(str(5), "later wins");
    EXPECT_EQ(get_string_by_id(5), UniString::fromUTF8("later wins"));
    EXPECT_EQ(str(8), "no line feed at the end");
}

TEST_F(Tables, ALineWithoutTabsJoinsTheNextLineInRegionZero)
{
    resource("t.txt", utf16("2\t1\tone\nbroken line\n2\t3\tthree\n", true));
    ASSERT_TRUE(open_stringbase_file(UniString::fromUTF8("t.txt")));
    read_string_by_region_code(2);
    EXPECT_EQ(str(1), "one");
    // "broken line\n2" is field 1 (no number: region 0), "3" the id.
    EXPECT_EQ(str(3), "three");
    read_string_by_region_code(5);
    EXPECT_EQ(str(3), "three") << "it is a region-0 entry";
    EXPECT_EQ(str(1), "???");
}

TEST_F(Tables, BadFilesGiveEmptyTables)
{
    const std::vector<std::pair<std::string, std::vector<unsigned char>>> files = {
        {"nomark", {0, '0', 0, 9, 0, '1', 0, 9, 0, 'x'}},
        {"odd", {0xFE, 0xFF, 0, '0', 0, 9, 0, '1', 0, 9, 0, 'x', 0}},
        {"tiny", {0xFE, 0xFF}},
    };
    for (const auto& [name, bytes] : files) {
        resource(name, bytes);
        ASSERT_TRUE(open_stringbase_file(UniString::fromUTF8(name))) << name;
        EXPECT_EQ(read_string_by_region_code(0), 0) << name;
        EXPECT_EQ(str(1), "???") << name;
    }
    EXPECT_FALSE(open_stringbase_file(UniString::fromUTF8("missing.txt")));
    EXPECT_EQ(str(1), "???");
}

TEST(FileUTF16Codes, EachFailureHasItsCodeAndTheStreamIsRestored)
{
    struct Case {
        std::vector<unsigned char> bytes;
        int code;
    } cases[] = {
        {{0xFE, 0xFF, 0, 'a'}, 0}, {{0xFE}, 1}, {{0xFE, 0xFF}, 1}, {{0, 0, 0, 'a'}, 2}, {{0xFF, 0xFE, 'a'}, 3},
    };
    for (const auto& c : cases) {
        dxStream s(dxStream::sourceBuffer);
        s.write_byte(c.bytes.data(), c.bytes.size());
        s.setPos(1, true);
        UniString text;
        EXPECT_EQ(FileUTF16::readFile(text, s), c.code);
        EXPECT_EQ(s.getPos(), 1);
        EXPECT_EQ(s.getByteOrder(), dxStream::bigEndian);
    }
    dxStream closed(dxStream::sourceFile);
    UniString text;
    testing::internal::CaptureStdout();
    EXPECT_EQ(FileUTF16::readFile(text, closed), 5);
    testing::internal::GetCapturedStdout();
}

TEST_F(Tables, ParameterTableIsRegionZero)
{
    resource("param.txt", utf16("0\t100\tstrings.txt\n0\t1000\tVeriglow Preferences\n3\t100\tignored\n", true));
    ASSERT_TRUE(open_parambase_file("param.txt"));
    EXPECT_EQ(get_param_string_by_id(100).toUTF8(), "strings.txt");
    EXPECT_EQ(get_param_string_by_id(1000).toUTF8(), "Veriglow Preferences");
    EXPECT_EQ(get_param_string_by_id(11).toUTF8(), "???");
    close_parambase_file();
    EXPECT_EQ(get_param_string_by_id(100).toUTF8(), "???");
    EXPECT_FALSE(open_parambase_file("nothing.txt"));
}

TEST(Language, LocaleNamesBecomeTwoLetterCodes)
{
    struct Case {
        const char* name;
        unsigned short code;
    } cases[] = {{"de_DE.UTF-8", 0x6465}, {"fr", 0x6672}, {"C", 0}, {"POSIX", 0}, {"", 0}, {"x", 0},
                 {"en_GB@euro", 0x656E}, {"zh-Hant", 0x7A68}};
    for (const auto& c : cases) {
        static const char* current;
        current = c.name;
        nsp_GMSI::setLanguageSource([] { return current; });
        EXPECT_EQ(nsp_GMSI::gmsi_GetCurrentLanguageCodeLetter2(), c.code) << c.name;
    }
    nsp_GMSI::setLanguageSource(nullptr);
    nsp_GMSI::gmsi_GetCurrentLanguageCodeLetter2(); // the C library's locale: any answer, no crash
}

TEST(Alerts, ButtonTextsDefaultsAndResults)
{
    AlertRequest seen;
    int answer = 2;
    setAlertPresenter([&](const AlertRequest& r) {
        seen = r;
        return answer;
    });
    MacAlertBox two(MacUniString(UniString::fromUTF8("Replace?")), MacUniString(), 2, 1);
    EXPECT_EQ(two.doAlert(0, UniString(), UniString(), UniString()), 1) << "Cancel hit";
    EXPECT_EQ(seen.buttons[0].toUTF8(), "OK");
    EXPECT_EQ(seen.buttons[1].toUTF8(), "Cancel");
    EXPECT_EQ(seen.defaultButton, 1);
    EXPECT_EQ(seen.cancelButton, 0);
    EXPECT_EQ(seen.kind, AlertRequest::caution);
    EXPECT_EQ(seen.position, 0xA80A);

    MacAlertBox yes(MacUniString(UniString::fromUTF8("q")), MacUniString(UniString::fromUTF8("why")), 9, 2);
    answer = 3;
    EXPECT_EQ(yes.doAlert(1, UniString::fromUTF8("Keep"), UniString(), UniString()), 2);
    EXPECT_EQ(seen.buttons[0].toUTF8(), "Keep");
    EXPECT_EQ(seen.buttons[1].toUTF8(), "No");
    EXPECT_EQ(seen.defaultButton, 2);
    EXPECT_EQ(seen.kind, AlertRequest::stop) << "unknown kinds are stop alerts";
    EXPECT_EQ(seen.explanation.toUTF8(), "why");

    MacAlertBox three(MacUniString(UniString::fromUTF8("q")), MacUniString(), 3, 3);
    answer = 1;
    EXPECT_EQ(three.doAlert(2, UniString(), UniString::fromUTF8("b"), UniString::fromUTF8("c")), 0);
    EXPECT_TRUE(seen.buttons[0].empty()) << "no substitution for three buttons";
    EXPECT_EQ(seen.defaultButton, 3);

    answer = 1;
    alert(123456);
    EXPECT_EQ(seen.message.toUTF8(), "???");
    EXPECT_EQ(seen.buttons[0].toUTF8(), "OK");
    EXPECT_EQ(seen.kind, AlertRequest::caution);
    setAlertPresenter(nullptr);
    testing::internal::CaptureStderr();
    alert(1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "veriglow: ???\n");
}

TEST(Folders, ResourceAndPreferenceFilesOpenInTheirFolders)
{
    vgtest::TempDir root;
    std::filesystem::create_directories(root / "share" / "veriglow" / "support");
    vgtest::writeFile(root / "share" / "veriglow" / "r.bin", {7});
    nsp_MacCarbonFile::setBundleRoot(root.str());
    dxStream s;
    EXPECT_TRUE(open_resource_file(s, UniString::fromUTF8("r.bin"), dxStream::readPermission, false));
    DirLocation support;
    EXPECT_TRUE(get_support_dir(&support));
    nsp_MacCarbonFile::setBundleRoot("");
}

} // namespace
