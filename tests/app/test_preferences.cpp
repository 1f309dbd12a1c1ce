#include "app/preferences.h"
#include "app/string_table.h"
#include "foundation/carbon_file.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace vemora;
using namespace vemoraVeriglow;

namespace {

class Preferences : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(open_parambase_file("param.txt"));
    }
    void TearDown() override
    {
        close_pref_file();
        close_parambase_file();
    }
    std::filesystem::path file() const { return config_ / "veriglow" / "Veriglow Preferences"; }
    // Starts with the defaults, then keeps a copy of the bundled sRGB at `path` as the RGB
    // default (and the region) in the file.
    void storeRgbCopy(const std::filesystem::path& path, int32_t region)
    {
        std::filesystem::copy_file(std::string(VERIGLOW_SOURCE_DIR) + "/resources/profiles/Veriglow sRGB.icc", path);
        ASSERT_TRUE(open_pref_file());
        FSRef ref;
        ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path.string()));
        get_preference()->rgb_profile = FileLocation(ref);
        get_preference()->region = region;
        ASSERT_TRUE(get_preference()->write());
        close_pref_file();
    }
    static std::string name(const FileLocation& l) { return l.getFileName().toUTF8(); }

    vgtest::TempDir config_;
    vgtest::ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
};

TEST_F(Preferences, FirstStartWritesRegionOneAndTheGenericProfiles)
{
    ASSERT_TRUE(open_pref_file());
    VG_Preference* p = get_preference();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->region, 1);
    EXPECT_EQ(name(p->get_default_rgb_profile()), "Veriglow sRGB.icc");
    EXPECT_EQ(name(p->get_default_cmyk_profile()), "Veriglow Coated FOGRA39.icc");
    const auto bytes = vgtest::readFile(file());
    ASSERT_GE(bytes.size(), 5u + 16 + 2 * 17 + 16 + 2 * 27);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 1, bytes.begin() + 5), (std::vector<unsigned char>{0, 0, 0, 1}));
    // The RGB record's name: 17 units from offset 5 + 8.
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 13, bytes.begin() + 17), (std::vector<unsigned char>{0, 0, 0, 17}));
}

TEST_F(Preferences, SettingsSurviveARestartAndAFirstByteOfZero)
{
    vgtest::TempDir chosen;
    storeRgbCopy(chosen / "mine.icc", 2);

    auto bytes = vgtest::readFile(file());
    bytes[0] = 0;
    vgtest::writeFile(file(), bytes);
    ASSERT_TRUE(open_pref_file());
    EXPECT_EQ(get_preference()->region, 2);
    EXPECT_EQ(name(get_preference()->rgb_profile), "mine.icc");
}

TEST_F(Preferences, FolderPathsRebuildLocationsWhoseIdsMeanNothingNow)
{
    vgtest::TempDir chosen;
    storeRgbCopy(chosen / "mine.icc", 1);
    // A file from another run: the folder ids of both records point nowhere.
    auto bytes = vgtest::readFile(file());
    bytes[5 + 2] = bytes[5 + 3] = bytes[5 + 4] = bytes[5 + 5] = 0xEE;
    vgtest::writeFile(file(), bytes);
    ASSERT_TRUE(open_pref_file());
    EXPECT_EQ(name(get_preference()->rgb_profile), "mine.icc") << "rebuilt from the folder path";
    EXPECT_TRUE(get_preference()->rgb_profile.isExist());
}

TEST_F(Preferences, StaleShortOrMissingFilesFallBackToTheDefaults)
{
    vgtest::TempDir chosen;
    storeRgbCopy(chosen / "gone.icc", 2);
    std::filesystem::remove(chosen / "gone.icc");
    ASSERT_TRUE(open_pref_file());
    EXPECT_EQ(name(get_preference()->rgb_profile), "Veriglow sRGB.icc");
    EXPECT_EQ(get_preference()->region, 1) << "both defaults and the region are rebuilt";
    close_pref_file();

    vgtest::writeFile(file(), {1, 0, 0});
    ASSERT_TRUE(open_pref_file());
    EXPECT_EQ(name(get_preference()->cmyk_profile), "Veriglow Coated FOGRA39.icc");
    close_pref_file();

    // A rebuilt file written over a longer damaged one keeps none of its old bytes.
    const auto rebuilt = vgtest::readFile(file());
    vgtest::writeFile(file(), std::vector<unsigned char>(4096, 0xFF));
    ASSERT_TRUE(open_pref_file());
    EXPECT_EQ(vgtest::readFile(file()), rebuilt);
}

TEST_F(Preferences, AReaderThatOwnsNoFileTakesTheDefaultsWithoutWritingThem)
{
    ASSERT_TRUE(open_pref_file(false));
    EXPECT_EQ(name(get_preference()->rgb_profile), "Veriglow sRGB.icc");
    EXPECT_FALSE(std::filesystem::exists(file()));
    close_pref_file();

    vgtest::writeFile(file(), {1, 0, 0});
    ASSERT_TRUE(open_pref_file(false));
    EXPECT_EQ(vgtest::readFile(file()), (std::vector<unsigned char>{1, 0, 0})) << "a short file stays as it is";
}

TEST_F(Preferences, NoGenericProfilesMeansNoStart)
{
    vgtest::TempDir emptyBundle;
    std::filesystem::create_directories(emptyBundle / "share" / "veriglow");
    nsp_MacCarbonFile::setBundleRoot(emptyBundle.str());
    EXPECT_FALSE(open_pref_file());
    EXPECT_EQ(get_preference(), nullptr);
    nsp_MacCarbonFile::setBundleRoot("");
}

} // namespace
