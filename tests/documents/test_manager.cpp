#include "app/alert.h"
#include "app/preferences.h"
#include "app/string_table.h"
#include "documents/manager.h"
#include "documents/profile_catalogue.h"
#include "engine/vce_color.h"
#include "foundation/carbon_file.h"
#include "image/tiff/tiff.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace vemora;
using namespace vemoraVeriglow;

namespace {

std::string source(const std::string& rel) { return std::string(VERIGLOW_SOURCE_DIR) + "/" + rel; }

FileLocation locationOf(const std::string& path)
{
    FSRef ref;
    if (!nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path))
        return FileLocation();
    return FileLocation(ref);
}

// The application's tables and a fresh preference store; alerts are collected, not shown.
class Manager : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(open_parambase_file("param.txt"));
        ASSERT_TRUE(open_stringbase_file(get_param_string_by_id(100)));
        read_string_by_region_code(1);
        ASSERT_TRUE(open_pref_file());
        cms::vemICC::nsp_VCE::allocatePow0p33Table();
        setAlertPresenter([this](const AlertRequest& r) {
            alerts_.push_back(r.message.toUTF8());
            return r.defaultButton;
        });
    }
    void TearDown() override
    {
        setAlertPresenter(nullptr);
        close_pref_file();
        close_stringbase_file();
        close_parambase_file();
    }
    // The alert ids shown so far, recognised by their texts.
    std::vector<long> alertIds() const
    {
        std::vector<long> ids;
        for (const auto& text : alerts_)
            for (long id = 3000; id <= 3010; ++id)
                if (get_string_by_id(id).toUTF8() == text)
                    ids.push_back(id);
        return ids;
    }
    VG_Manager::ImageMap::iterator open(const std::string& rel) { return manager_.find_or_open_image(locationOf(source(rel))); }

    vgtest::TempDir config_, scratch_;
    vgtest::ScopedEnv env_{"XDG_CONFIG_HOME", config_.str()};
    std::vector<std::string> alerts_;
    VG_Manager manager_;
};

struct ChainCase {
    const char* file;
    ColorMode mode;
    int32_t bytesPerPixel; // after opening: 8-bit RGB is widened to four bytes
    bool nativeAllowed;
    bool embedded;
    bool lab;
    const char* source; // description of node 0; null for the Lab node
};

TEST_F(Manager, DefaultChainsByKindOfImage)
{
    const ChainCase cases[] = {
        {"tests/image/tiff/rgb8-icc.tif", colorModeRGB, 4, true, true, false, nullptr},
        {"tests/image/tiff/rgb8-none-ii.tif", colorModeRGB, 4, true, false, false, "sRGB"},
        {"tests/image/tiff/rgb16-lzw-ii.tif", colorModeRGB, 6, false, false, false, "sRGB"},
        {"tests/image/tiff/cmyk8-none.tif", colorModeCMYK, 4, false, false, false, "Veriglow Coated FOGRA39"},
        {"tests/image/tiff/cmyk16-lzw-mm.tif", colorModeCMYK, 8, false, false, false, "Veriglow Coated FOGRA39"},
        {"tests/image/tiff/lab8.tif", colorModeLab, 3, false, false, true, nullptr},
        {"tests/image/tiff/lab16-lzw.tif", colorModeLab, 6, false, false, true, nullptr},
        {"tests/image/jpeg/ycbcr-icc.jpg", colorModeRGB, 4, true, true, false, nullptr},
        {"tests/image/jpeg/ycbcr.jpg", colorModeRGB, 4, true, false, false, "sRGB"},
        {"tests/image/jpeg/cmyk-adobe.jpg", colorModeCMYK, 4, false, false, false, "Veriglow Coated FOGRA39"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto entry = open(c.file);
        ASSERT_NE(entry, manager_.images.end());
        const BitmapFormat& f = entry->second.image->get_bitmap_format();
        EXPECT_EQ(f.bytes_per_pixel, c.bytesPerPixel);
        if (f.color_mode == BitmapFormat::modeRGB && f.bytes_per_pixel == 4) {
            EXPECT_EQ(entry->second.image->get_bitmap()[3], 255) << "the added byte";
        }
        if (c.lab) {
            EXPECT_EQ(f.color_mode, BitmapFormat::modePxLab) << "TIFF Lab is re-encoded";
        }
        EXPECT_EQ(entry->second.has_embed, c.embedded);

        ProfileSetting s;
        ASSERT_TRUE(manager_.create_setting_by_image_iterator(&s, entry));
        EXPECT_EQ(s.color_mode, c.mode);
        EXPECT_EQ(s.native_rgb_allowed, c.nativeAllowed);
        EXPECT_FALSE(s.native_rgb_on);
        EXPECT_TRUE(s.intent_consistency);
        ASSERT_EQ(s.get_node_count(), 1);
        EXPECT_EQ(s.has_embedded, c.embedded);
        EXPECT_EQ(s.use_embedded, c.embedded);
        EXPECT_EQ(s.is_first_lab(), c.lab);
        if (c.embedded) {
            EXPECT_EQ(s.nodes[0].pack.profile.get(), s.embedded_node.pack.profile.get())
                << "the embedded profile is both node 0 and the remembered one";
            EXPECT_EQ(s.embedded_node.intent_out, entry->second.embed_profile.default_intent);
        }
        if (c.source) {
            EXPECT_EQ(s.nodes[0].pack.description.toUTF8().rfind(c.source, 0), 0u) << s.nodes[0].pack.description.toUTF8();
            EXPECT_FALSE(s.nodes[0].pack.profile.isNull());
        }
    }
    EXPECT_TRUE(alerts_.empty());
    EXPECT_EQ(manager_.profiles.size(), 2u) << "the two default profiles are cached once each";
}

TEST_F(Manager, FilesThatDoNotOpenAlertAndLeaveNothing)
{
    const std::pair<const char*, long> cases[] = {
        {"resources/param.txt", 3000},
        {"tests/image/tiff/does-not-exist.tif", 3000},
        {"tests/image/tiff/refused-jpeg.tif", 3003},
        {"tests/image/tiff/refused-tiled.tif", 3004},
        {"tests/image/corpus/tiff_file/strip-offset-beyond-file.tif", 3004},
        {"tests/image/tiff/gray8-minisblack.tif", 3006},
        {"tests/image/jpeg/gray.jpg", 3006},
        {"tests/image/corpus/jpeg_file/seed-profile-segments-out-of-order.jpg", 3004},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        alerts_.clear();
        EXPECT_EQ(open(c.first), manager_.images.end());
        EXPECT_EQ(alertIds(), std::vector<long>{c.second});
    }
    EXPECT_TRUE(manager_.images.empty());
    EXPECT_EQ(manager_.get_support_image_type(locationOf(source("tests/image/tiff/rgb8-none-ii.tif"))), 1);
    EXPECT_EQ(manager_.get_support_image_type(locationOf(source("tests/image/jpeg/ycbcr.jpg"))), 2);
}

TEST_F(Manager, AFileOpenedTwiceIsDecodedOnceAndShared)
{
    auto first = open("tests/image/tiff/rgb8-icc.tif");
    ASSERT_NE(first, manager_.images.end());
    const GenericImage* pixels = first->second.image.get();
    EXPECT_EQ(open("tests/image/tiff/rgb8-icc.tif"), first);
    EXPECT_EQ(manager_.images.size(), 1u);

    VG_Manager::DisplayPair display;
    ASSERT_TRUE(get_generic_rgb_profile(&display.first));
    ASSERT_TRUE(manager_.get_profile_pack_by_location(&display.second, display.first, 0));
    Proof a, b;
    ASSERT_TRUE(manager_.build_proof_by_image(&a, first, display, 7));
    ASSERT_TRUE(manager_.build_proof_by_image(&b, first, display, 7));
    EXPECT_EQ(a.image.image.get(), pixels);
    EXPECT_EQ(b.image.image.get(), pixels);
    EXPECT_EQ(first->second.image.getUseCount(), 3);
    EXPECT_EQ(a.display_id, 7u);
    ASSERT_TRUE(a.link->isReady());
    EXPECT_EQ(a.sequence.size(), 1u) << "embedded source, no proof profile";
    EXPECT_EQ(a.link->chain.size(), 2u);

    // Turning one proof leaves the manager's image and the other proof as they were.
    rotate_proof_image(&a, true);
    EXPECT_NE(a.image.image.get(), pixels);
    EXPECT_EQ(a.image.image->get_bitmap_format().width, pixels->get_bitmap_format().height);
    EXPECT_EQ(first->second.image.get(), pixels);
    EXPECT_EQ(first->second.image.getUseCount(), 2);
}

TEST_F(Manager, ADefaultProfileThatIsNoProfileRefusesWithoutAMessage)
{
    auto rgb = open("tests/image/tiff/rgb8-none-ii.tif");
    auto cmyk = open("tests/image/tiff/cmyk8-none.tif");
    ASSERT_NE(rgb, manager_.images.end());
    ASSERT_NE(cmyk, manager_.images.end());
    VG_Preference* p = get_preference();
    ASSERT_NE(p, nullptr);
    p->rgb_profile = locationOf(source("resources/param.txt"));
    p->cmyk_profile = FileLocation(p->cmyk_profile.getDir(), UniString::fromUTF8("gone.icc"), 0);
    ProfileSetting s;
    EXPECT_FALSE(manager_.create_setting_by_image_iterator(&s, rgb));
    EXPECT_FALSE(manager_.create_setting_by_image_iterator(&s, cmyk));
    EXPECT_TRUE(alerts_.empty()) << "the caller tells the user";
    EXPECT_TRUE(manager_.profiles.empty());
}

TEST_F(Manager, ProfilesComeFromTheCacheWhateverTheOffset)
{
    FileLocation srgb;
    ASSERT_TRUE(get_generic_rgb_profile(&srgb));
    ProfilePack first;
    ASSERT_TRUE(manager_.get_profile_pack_by_location(&first, srgb, 0));
    EXPECT_TRUE(manager_.profiles.find(srgb) == manager_.profiles.end()) << "reading does not cache";
    manager_.profiles[srgb] = first;
    ProfilePack again;
    ASSERT_TRUE(manager_.get_profile_pack_by_location(&again, srgb, 12345));
    EXPECT_EQ(again.profile.get(), first.profile.get());
    EXPECT_FALSE(manager_.get_profile_pack_by_location(&again, locationOf(source("no-such.icc")), 0));
    // An embedded profile is read at its offset inside the image file.
    auto tiff = open("tests/image/tiff/rgb8-icc.tif");
    ASSERT_NE(tiff, manager_.images.end());
    EXPECT_FALSE(tiff->second.embed_profile.description.empty());
    EXPECT_EQ(tiff->second.embed_profile.profile_class, cms::vemICC::sig("mntr"));
}

// A copy of `rel` with `bytes` written over it at `at`.
std::string damaged(const vgtest::TempDir& dir, const std::string& rel, std::size_t at, const std::string& bytes)
{
    auto data = vgtest::readFile(source(rel));
    std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<long>(at));
    const std::string path = (dir.path() / std::filesystem::path(rel).filename()).string();
    vgtest::writeFile(path, data);
    return path;
}

TEST_F(Manager, ADamagedEmbeddedProfile)
{
    // TIFF: the image opens with the default profile of its mode.
    dxStream s(dxStream::sourceFile);
    ASSERT_TRUE(s.open(locationOf(source("tests/image/tiff/rgb8-icc.tif")), dxStream::readPermission, false));
    dxTIFF tiff;
    tiff.Read(s);
    ASSERT_TRUE(tiff.GetIFD(0).has_icc_profile);
    const std::size_t at = tiff.GetIFD(0).icc_profile_offset + 36; // the 'acsp' signature
    auto entry = manager_.find_or_open_image(locationOf(damaged(scratch_, "tests/image/tiff/rgb8-icc.tif", at, "xxxx")));
    ASSERT_NE(entry, manager_.images.end());
    EXPECT_FALSE(entry->second.has_embed);
    ProfileSetting setting;
    ASSERT_TRUE(manager_.create_setting_by_image_iterator(&setting, entry));
    EXPECT_FALSE(setting.has_embedded);
    EXPECT_EQ(setting.nodes[0].pack.description.toUTF8().rfind("sRGB", 0), 0u);

    // JPEG: a profile that does not parse fails the file.
    auto jpeg = vgtest::readFile(source("tests/image/jpeg/ycbcr-icc.jpg"));
    const std::string tag = "ICC_PROFILE";
    auto found = std::search(jpeg.begin(), jpeg.end(), tag.begin(), tag.end());
    ASSERT_NE(found, jpeg.end());
    const std::size_t profile = static_cast<std::size_t>(found - jpeg.begin()) + 14;
    alerts_.clear();
    EXPECT_EQ(manager_.find_or_open_image(
                  locationOf(damaged(scratch_, "tests/image/jpeg/ycbcr-icc.jpg", profile + 36, "xxxx"))),
              manager_.images.end());
    EXPECT_EQ(alertIds(), std::vector<long>{3004});
}

} // namespace
