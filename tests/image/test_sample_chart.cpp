// The bundled sample chart (scripts/make-sample-chart): both files decode with our readers to
// 1200 x 800 8-bit RGB, carry the bundled sRGB profile byte for byte, and hold the patch
// values resources/README.md lists at the listed places (exact in the TIFF, near in the JPEG).
#include "image/jpeg/jpeg.h"
#include "image/tiff/tiff.h"

#include "tiff_builder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace vemora;

namespace {

using Bytes = std::vector<unsigned char>;

std::string source(const std::string& rel)
{
    return std::string(VERIGLOW_SOURCE_DIR) + "/resources/" + rel;
}

const std::string kTiff = source("samples/veriglow-chart.tif");
const std::string kJpeg = source("samples/veriglow-chart.jpg");

struct Probe {
    const char* what;
    int x, y;
    unsigned char r, g, b;
};

// Patch centres, plus the ends of the bands.
const Probe kProbes[] = {
    {"red", 72, 100, 255, 0, 0},
    {"half blue", 840, 100, 0, 0, 128},
    {"sky", 168, 180, 96, 156, 222},
    {"skin 3", 840, 180, 206, 152, 116},
    {"skin 6", 1128, 180, 84, 56, 42},
    {"grey 50 %", 600, 344, 128, 128, 128},
    {"grey 5 %", 114, 344, 13, 13, 13},
    {"gradient start", 24, 400, 0, 0, 0},
    {"gradient end", 1175, 400, 255, 255, 255},
    {"hue yellow", 216, 440, 255, 255, 0},
    {"full green ramp", 599, 498, 0, 255, 0},
    {"shadow 0 %", 52, 680, 0, 0, 0},
    {"shadow 1 %", 104, 680, 3, 3, 3},
    {"shadow 2 %", 156, 680, 5, 5, 5},
    {"shadow 10 %", 572, 680, 26, 26, 26},
    {"highlight 90 %", 628, 680, 230, 230, 230},
    {"highlight 99 %", 1096, 680, 252, 252, 252},
    {"highlight 100 %", 1148, 680, 255, 255, 255},
    {"surround", 8, 320, 119, 119, 119},
};

void expect_chart(const GenericImage& image, int tolerance)
{
    const BitmapFormat& f = image.get_bitmap_format();
    ASSERT_EQ(f.width, 1200);
    ASSERT_EQ(f.height, 800);
    ASSERT_EQ(f.color_mode, BitmapFormat::modeRGB);
    ASSERT_EQ(f.channel_count, 3);
    ASSERT_EQ(f.bytes_per_channel, 1);
    ASSERT_GE(f.row_bytes, 3 * f.width);
    for (const Probe& p : kProbes) {
        const unsigned char* px = image.get_bitmap() + p.y * f.row_bytes + p.x * f.bytes_per_pixel;
        const int want[3] = {p.r, p.g, p.b};
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(px[c], want[c], tolerance) << p.what << " channel " << c;
    }
}

TEST(SampleChart, TiffDecodesWithTheBundledProfile)
{
    auto s = vgtest::file_stream(kTiff);
    ASSERT_TRUE(s);
    dxTIFF tiff;
    ASSERT_TRUE(tiff.Read(*s));
    ASSERT_EQ(tiff.GetIFDCount(), 1u);
    const dxTIFF::IFD_struct& ifd = tiff.GetIFD(0);
    EXPECT_EQ(ifd.compression, 5);
    EXPECT_EQ(ifd.predictor, 2);
    EXPECT_EQ(ifd.x_resolution, 300.0);
    EXPECT_EQ(ifd.resolution_unit, 2);
    EXPECT_GT(ifd.GetStripCount(), 1u);

    ASSERT_TRUE(ifd.has_icc_profile);
    const Bytes profile = vgtest::readFile(source("profiles/Veriglow sRGB.icc"));
    const Bytes file = vgtest::readFile(kTiff);
    ASSERT_GT(profile.size(), 128u);
    ASSERT_LE(ifd.icc_profile_offset + profile.size(), file.size());
    EXPECT_TRUE(std::equal(profile.begin(), profile.end(), file.begin() + ifd.icc_profile_offset));

    GenericImage image;
    ASSERT_TRUE(tiff.load_image(&image, 0));
    expect_chart(image, 0);
}

TEST(SampleChart, JpegTwinDecodesWithTheBundledProfile)
{
    auto s = vgtest::file_stream(kJpeg);
    ASSERT_TRUE(s);
    dxJPEG reader;
    ASSERT_TRUE(reader.read_jpeg(dxJPEG::get_icc_profile_marker(), *s));
    Bytes profile;
    ASSERT_TRUE(reader.get_icc_profile(profile));
    EXPECT_EQ(profile, vgtest::readFile(source("profiles/Veriglow sRGB.icc")));
    PointerHolder<GenericImage> image = reader.get_image();
    ASSERT_FALSE(image.isNull());
    expect_chart(*image, 2);
}

} // namespace
