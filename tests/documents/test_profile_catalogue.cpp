#include "app/string_table.h"
#include "documents/profile_catalogue.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemoraVeriglow;

namespace {

std::string resources() { return std::string(VERIGLOW_SOURCE_DIR) + "/resources"; }

FileLocation locationOf(const std::string& path)
{
    FSRef ref;
    EXPECT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path)) << path;
    return FileLocation(ref);
}

ICCProfileDescriptionPack described(const char* text, const char* lang)
{
    ICCProfileDescriptionPack p;
    p.language = static_cast<uint16_t>((lang[0] << 8) | lang[1]);
    p.name = UniString::fromUTF8(text);
    return p;
}

TEST(Catalogue, DescriptionByLanguage)
{
    UniString out;
    EXPECT_FALSE(trait_profile_name_by_language(&out, {}, 0x6465));
    ASSERT_TRUE(trait_profile_name_by_language(&out, {described("Only", "de")}, 0x656E));
    EXPECT_EQ(out.toUTF8(), "Only");
    ASSERT_TRUE(trait_profile_name_by_language(&out, {described("Coated", "en"), described("Gestrichen", "de"),
                                                      described("Zweite", "de")},
                                               0x6465));
    EXPECT_EQ(out.toUTF8(), "Gestrichen") << "the first in the language";
    ASSERT_TRUE(trait_profile_name_by_language(&out, {described("Coated", "en"), described("Couché", "fr")}, 0x6465));
    EXPECT_EQ(out.toUTF8(), "Coated");
}

TEST(Catalogue, ItemsFromFilesAndTheGenericProfiles)
{
    ProfileItem item;
    ASSERT_TRUE(make_profile_item_by_loc(&item, locationOf(resources() + "/profiles/Veriglow Coated FOGRA39.icc")));
    EXPECT_EQ(item.description.toUTF8(), "Veriglow Coated FOGRA39");
    EXPECT_EQ(item.color, colorModeCMYK);
    EXPECT_EQ(item.profile_class, sig("prtr"));
    EXPECT_EQ(item.index, -10);
    EXPECT_FALSE(make_profile_item_by_loc(&item, locationOf(resources() + "/param.txt")));
    EXPECT_TRUE(is_icc_profile_by_loc(locationOf(resources() + "/profiles/Veriglow sRGB.icc")));
    EXPECT_FALSE(is_icc_profile_by_loc(locationOf(resources() + "/param.txt")));
    EXPECT_FALSE(is_icc_profile_by_loc(FileLocation()));

    ASSERT_TRUE(open_parambase_file("param.txt"));
    std::vector<ProfileItem> generic;
    build_generic_profile_item_list(&generic);
    ASSERT_EQ(generic.size(), 2u);
    EXPECT_EQ(generic[0].color, colorModeRGB);
    EXPECT_EQ(generic[1].color, colorModeCMYK);
    close_parambase_file();
    FileLocation none;
    EXPECT_FALSE(get_generic_rgb_profile(&none)) << "without the parameter table there is no name";
}

TEST(Catalogue, GroupsByFolderHideRepeatedDescriptionsAndFilter)
{
    vgtest::TempDir home;
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", home.str().c_str(), 1);
    std::filesystem::create_directories(home / "icc" / "press");
    std::filesystem::create_directories(home / "icc" / "notes");
    std::filesystem::copy_file(resources() + "/profiles/Veriglow Coated FOGRA39.icc",
                               home / "icc" / "press" / "coated.icc");
    vgtest::writeFile(home / "icc" / "notes" / "readme.txt", {'h', 'i'});
    const bool systemSrgb = std::filesystem::exists("/usr/share/color/icc/sRGB.icc");
    if (systemSrgb)
        std::filesystem::copy_file("/usr/share/color/icc/sRGB.icc", home / "icc" / "same-as-system.icc");

    ProfileGroups groups;
    build_profile_list_group(&groups, 0x656E);
    old ? setenv("XDG_DATA_HOME", saved.c_str(), 1) : unsetenv("XDG_DATA_HOME");

    int userItems = 0;
    bool coatedFound = false;
    int32_t lastIndex = 0;
    for (const auto& g : groups) {
        ASSERT_FALSE(g.empty()) << "empty folders add no group";
        for (const auto& item : g) {
            EXPECT_GT(item.index, lastIndex) << "running numbers in scan order";
            lastIndex = item.index;
            FSRef ref;
            ASSERT_TRUE(item.location.getFSRef(&ref));
            if (ref.path.rfind(home.str(), 0) == 0) {
                ++userItems;
                EXPECT_NE(ref.path.find("coated.icc"), std::string::npos) << ref.path;
                coatedFound = true;
            }
        }
    }
    EXPECT_TRUE(coatedFound);
    EXPECT_EQ(userItems, 1) << "a description seen in an earlier folder hides the later profile";

    ProfileGroups printers, rgb;
    trait_profile_list_group_by_class(&printers, groups, {sig("prtr")});
    for (const auto& g : printers)
        for (const auto& item : g)
            EXPECT_EQ(item.profile_class, sig("prtr"));
    trait_profile_list_group_by_color(&rgb, groups, {colorModeRGB});
    ProfileItem found;
    EXPECT_TRUE(find_profile_item_by_description(printers, UniString::fromUTF8("Veriglow Coated FOGRA39"), &found));
    EXPECT_FALSE(find_profile_item_by_description(rgb, UniString::fromUTF8("Veriglow Coated FOGRA39"), &found));
}

} // namespace
