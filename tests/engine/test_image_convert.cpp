#include "engine/image_convert.h"
#include "engine/matrix_profile.h"

#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

// A link whose table is the identity on RGB: a 2-point grid with corner values.
struct IdentityLink {
    ColorSpace link;
    IdentityLink()
    {
        const long points[3] = {2, 2, 2};
        link.table.resize(8 * 3 * 2);
        auto* t = reinterpret_cast<uint16_t*>(link.table.data());
        for (int k = 0; k < 8; ++k)
            for (int o = 0; o < 3; ++o)
                t[k * 3 + o] = ((k >> (2 - o)) & 1) ? 65535 : 0;
        link.interpolator.setup(link.table.data(), 3, 3, 2, points);
        link.inputChannels = link.outputChannels = 3;
    }
};

GenericImage image(int mode, int channels, int bytesPerChannel, int bytesPerPixel, int w, int h, int offset = 0)
{
    BitmapFormat f;
    f.width = w;
    f.height = h;
    f.color_mode = mode;
    f.channel_count = channels;
    f.bytes_per_channel = bytesPerChannel;
    f.bytes_per_pixel = bytesPerPixel;
    f.channel_offset = offset;
    f.row_bytes = w * bytesPerPixel;
    GenericImage g;
    g.create(f);
    return g;
}

TEST(ImageConvert, EightBitRedSurvivesAnIdentityLinkAndPaddingIsKept)
{
    IdentityLink id;
    GenericImage src = image(BitmapFormat::modeRGB, 3, 1, 3, 2, 1);
    const unsigned char px[6] = {255, 0, 0, 10, 128, 254};
    std::memcpy(src.get_bitmap(), px, 6);
    GenericImage dst = image(BitmapFormat::modeRGB, 3, 1, 4, 2, 1);
    std::memset(dst.get_bitmap(), 0xAB, 8);
    image_color_convert(&dst, 0, 0, id.link, src, 0, 0, 2, 1);
    const unsigned char* d = dst.get_bitmap();
    EXPECT_EQ(d[0], 255);
    EXPECT_EQ(d[1], 0);
    EXPECT_EQ(d[2], 0);
    EXPECT_EQ(d[3], 0xAB) << "the padding byte is not written";
    EXPECT_EQ(d[4], 10);
    EXPECT_EQ(d[5], 128);
    EXPECT_EQ(d[6], 254);
}

TEST(ImageConvert, SixteenBitDestinationGetsTheLinkValues)
{
    IdentityLink id;
    GenericImage src = image(BitmapFormat::modeRGB, 3, 2, 6, 1, 1);
    const uint16_t px[3] = {65535, 1234, 0};
    std::memcpy(src.get_bitmap(), px, 6);
    GenericImage dst = image(BitmapFormat::modeRGB, 3, 2, 6, 1, 1);
    image_color_convert(&dst, 0, 0, id.link, src, 0, 0, 1, 1);
    uint16_t out[3];
    std::memcpy(out, dst.get_bitmap(), 6);
    EXPECT_EQ(out[0], 65535);
    EXPECT_NEAR(out[1], 1234, 1);
    EXPECT_EQ(out[2], 0);
}

TEST(ImageConvert, RectanglesMapOntoTheDestinationAndEmptyOnesWriteNothing)
{
    IdentityLink id;
    GenericImage src = image(BitmapFormat::modeRGB, 3, 1, 3, 4, 4);
    for (int i = 0; i < 48; ++i)
        src.get_bitmap()[i] = static_cast<unsigned char>(i * 5);
    GenericImage dst = image(BitmapFormat::modeRGB, 3, 1, 4, 3, 3);
    std::memset(dst.get_bitmap(), 7, 36);
    image_color_convert(&dst, 1, 1, id.link, src, 2, 2, 2, 4);
    image_color_convert(&dst, 1, 1, id.link, src, 2, 3, 4, 3);
    for (int i = 0; i < 36; ++i)
        ASSERT_EQ(dst.get_bitmap()[i], 7) << i;
    image_color_convert(&dst, 1, 1, id.link, src, 2, 2, 4, 4);
    // Source (3, 3) is at destination (2, 2).
    const unsigned char* d = dst.get_bitmap() + 2 * 12 + 2 * 4;
    EXPECT_EQ(d[0], (3 * 4 + 3) * 3 * 5);
    EXPECT_EQ(dst.get_bitmap()[0], 7);
}

TEST(ImageConvert, GraySourcesReadOneChannelAndLabEncodingsRoundTrip)
{
    // A 1-input, 3-output link: grey value to (v, v, 65535 - v).
    ColorSpace gray;
    const long pts[1] = {2};
    gray.table.resize(2 * 3 * 2);
    auto* t = reinterpret_cast<uint16_t*>(gray.table.data());
    const uint16_t values[6] = {0, 0, 65535, 65535, 65535, 0};
    std::memcpy(t, values, sizeof values);
    gray.interpolator.setup(gray.table.data(), 1, 3, 2, pts);
    gray.inputChannels = 1;
    gray.outputChannels = 3;
    GenericImage src = image(BitmapFormat::modeGray, 1, 1, 1, 1, 1);
    src.get_bitmap()[0] = 255;
    GenericImage dst = image(BitmapFormat::modeRGB, 3, 1, 3, 1, 1);
    image_color_convert(&dst, 0, 0, gray, src, 0, 0, 1, 1);
    EXPECT_EQ(dst.get_bitmap()[0], 255);
    EXPECT_EQ(dst.get_bitmap()[2], 0);

    IdentityLink id;
    GenericImage lab = image(BitmapFormat::modeTiffLab, 3, 1, 3, 1, 1);
    const unsigned char tl[3] = {200, 0x90, 0x10};
    std::memcpy(lab.get_bitmap(), tl, 3);
    GenericImage px = image(BitmapFormat::modeTiffLab, 3, 1, 3, 1, 1);
    image_color_convert(&px, 0, 0, id.link, lab, 0, 0, 1, 1);
    EXPECT_EQ(px.get_bitmap()[0], 200);
    EXPECT_EQ(px.get_bitmap()[1], 0x90);
    EXPECT_EQ(px.get_bitmap()[2], 0x10);
}

} // namespace
