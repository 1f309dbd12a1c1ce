#include "image/generic_image.h"
#include "image/pixel_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

using namespace vemora;

namespace {

BitmapFormat make_format(int w, int h, int channels, int bpc, int mode = BitmapFormat::modeRGB)
{
    BitmapFormat f;
    f.width = w;
    f.height = h;
    f.channel_count = channels;
    f.bytes_per_channel = bpc;
    f.bytes_per_pixel = channels * bpc;
    f.row_bytes = w * f.bytes_per_pixel;
    f.channel_offset = 0;
    f.color_mode = mode;
    return f;
}

// An image whose bytes count up from `start`.
GenericImage counting_image(int w, int h, int channels, int bpc, int start = 1)
{
    GenericImage img;
    img.create(make_format(w, h, channels, bpc));
    std::iota(img.get_bitmap(), img.get_bitmap() + img.bitmap_size, static_cast<unsigned char>(start));
    return img;
}

std::vector<unsigned char> bytes_of(const GenericImage& img)
{
    return std::vector<unsigned char>(img.get_bitmap(), img.get_bitmap() + img.bitmap_size);
}

} // namespace

TEST(GenericImage, CreateGivesZeroedOwnedBuffer)
{
    BitmapFormat f = make_format(3, 2, 4, 1);
    ASSERT_EQ(f.row_bytes, 12);
    GenericImage img;
    img.create(f);
    EXPECT_EQ(img.bitmap_size, 24u);
    EXPECT_EQ(img.bitmap_kind, GenericImage::bitmapOwned);
    EXPECT_EQ(img.format, f);
    EXPECT_EQ(bytes_of(img), std::vector<unsigned char>(24, 0));
}

TEST(GenericImage, CreateOnForeignBufferLeavesItAlone)
{
    std::vector<unsigned char> foreign(6, 0xAB);
    GenericImage img;
    img.set_bitmap(foreign.data(), foreign.size());
    img.create(make_format(2, 1, 3, 1));
    EXPECT_EQ(foreign, std::vector<unsigned char>(6, 0xAB));
    EXPECT_NE(img.get_bitmap(), foreign.data());
    EXPECT_EQ(img.bitmap_kind, GenericImage::bitmapOwned);
    EXPECT_EQ(img.bitmap_size, 6u);
}

TEST(GenericImage, SetBitmapReleasesCreatedBuffer)
{
    GenericImage img;
    img.create(make_format(2, 2, 1, 1));
    EXPECT_EQ(img.pixels.getUseCount(), 1);
    unsigned char foreign[4] = {1, 2, 3, 4};
    img.set_bitmap(foreign, 4);
    EXPECT_EQ(img.get_bitmap(), foreign);
    EXPECT_TRUE(img.pixels.isNull());
    EXPECT_EQ(img.bitmap_kind, GenericImage::bitmapForeign);
    EXPECT_EQ(img.bitmap_size, 4u);
}

TEST(GenericImage, HoldersShareOneImage)
{
    GenericImageHolder a(new GenericImage);
    a->create(make_format(4, 4, 3, 1));
    GenericImageHolder b = a;
    EXPECT_EQ(a->get_bitmap(), b->get_bitmap());
    BitmapFormat f = a->format;
    f.color_mode = BitmapFormat::modeCMYK;
    b->set_bitmap_format(f);
    EXPECT_EQ(a->format.color_mode, BitmapFormat::modeCMYK);
    EXPECT_EQ(a.getUseCount(), 2);
}

TEST(PixelOps, WidenAfterAndBefore)
{
    for (bool before : {false, true}) {
        GenericImage img;
        img.create(make_format(2, 1, 3, 1));
        const unsigned char rgb[6] = {10, 20, 30, 40, 50, 60};
        std::memcpy(img.get_bitmap(), rgb, 6);
        canvas_pixel_byte(&img, 1, before, 255);
        EXPECT_EQ(img.format.bytes_per_pixel, 4);
        EXPECT_EQ(img.format.row_bytes, 8);
        EXPECT_EQ(img.bitmap_size, 8u);
        EXPECT_EQ(img.format.channel_count, 3);
        if (before) {
            EXPECT_EQ(img.format.channel_offset, 1);
            EXPECT_EQ(bytes_of(img), (std::vector<unsigned char>{255, 10, 20, 30, 255, 40, 50, 60}));
        } else {
            EXPECT_EQ(img.format.channel_offset, 0);
            EXPECT_EQ(bytes_of(img), (std::vector<unsigned char>{10, 20, 30, 255, 40, 50, 60, 255}));
        }
    }
}

TEST(PixelOps, WidenManyPixelsAndSizes)
{
    // Past the unrolled block of eight, for every specialised size and an odd one, 16-bit too.
    for (int channels : {1, 2, 3, 4, 5}) {
        for (int bpc : {1, 2}) {
            GenericImage img = counting_image(19, 3, channels, bpc);
            const GenericImage before_img = img;
            const std::vector<unsigned char> old = bytes_of(before_img);
            canvas_pixel_byte(&img, 2, false, 7);
            const int ob = channels * bpc, nb = ob + 2;
            ASSERT_EQ(img.bitmap_size, static_cast<unsigned long>(19 * 3 * nb));
            for (int p = 0; p < 19 * 3; ++p) {
                for (int k = 0; k < ob; ++k)
                    ASSERT_EQ(img.get_bitmap()[p * nb + k], old[p * ob + k]) << channels << " " << bpc;
                ASSERT_EQ(img.get_bitmap()[p * nb + ob], 7);
                ASSERT_EQ(img.get_bitmap()[p * nb + ob + 1], 7);
            }
        }
    }
}

TEST(PixelOps, WidenKeepsColourBytesBehindAnOffset)
{
    // A second widening in front of an already padded pixel moves the colour bytes only.
    GenericImage img;
    img.create(make_format(1, 1, 3, 1));
    const unsigned char rgb[3] = {1, 2, 3};
    std::memcpy(img.get_bitmap(), rgb, 3);
    canvas_pixel_byte(&img, 1, true, 9);
    canvas_pixel_byte(&img, 1, true, 8);
    EXPECT_EQ(img.format.channel_offset, 2);
    EXPECT_EQ(bytes_of(img), (std::vector<unsigned char>{8, 8, 1, 2, 3}));
}

TEST(PixelOps, CopyRectangle)
{
    GenericImage src = counting_image(5, 4, 3, 1);
    GenericImage dst;
    dst.create(make_format(6, 6, 3, 1));
    copy_gimage(&dst, 2, 3, src, 1, 1, 4, 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            for (int k = 0; k < 3; ++k) {
                const unsigned char got = dst.get_bitmap()[y * 18 + x * 3 + k];
                const bool inside = x >= 2 && x < 5 && y >= 3 && y < 5;
                const int sx = x - 2 + 1, sy = y - 3 + 1;
                const unsigned char want = inside ? src.get_bitmap()[sy * 15 + sx * 3 + k] : 0;
                ASSERT_EQ(got, want) << x << "," << y;
            }
}

TEST(PixelOps, TiffLabToPxLab)
{
    GenericImage img;
    img.create(make_format(1, 1, 3, 1, BitmapFormat::modeTiffLab));
    const unsigned char lab[3] = {50, 0x80, 0x7F};
    std::memcpy(img.get_bitmap(), lab, 3);
    ASSERT_TRUE(convert_tifflab_to_pxlab(&img));
    EXPECT_EQ(bytes_of(img), (std::vector<unsigned char>{50, 0x00, 0xFF}));
    EXPECT_EQ(img.format.color_mode, BitmapFormat::modePxLab);

    GenericImage img16;
    img16.create(make_format(1, 1, 3, 2, BitmapFormat::modeTiffLab));
    const uint16_t lab16[3] = {0x1234, 0x0000, 0xFFFF};
    std::memcpy(img16.get_bitmap(), lab16, 6);
    ASSERT_TRUE(convert_tifflab_to_pxlab(&img16));
    uint16_t got[3];
    std::memcpy(got, img16.get_bitmap(), 6);
    EXPECT_EQ(got[0], 0x1234);
    EXPECT_EQ(got[1], 0x8000);
    EXPECT_EQ(got[2], 0x7FFF);
}

TEST(PixelOps, TiffLabRefusesOtherSampleSizes)
{
    GenericImage img;
    img.create(make_format(1, 1, 3, 4, BitmapFormat::modeTiffLab));
    img.get_bitmap()[4] = 0x55;
    EXPECT_FALSE(convert_tifflab_to_pxlab(&img));
    EXPECT_EQ(img.format.color_mode, BitmapFormat::modeTiffLab);
    EXPECT_EQ(img.get_bitmap()[4], 0x55);
    // A pixel too small to hold a and b is refused rather than written past.
    GenericImage gray;
    gray.create(make_format(2, 1, 1, 1, BitmapFormat::modeTiffLab));
    EXPECT_FALSE(convert_tifflab_to_pxlab(&gray));
}

TEST(PixelOps, SampleSquare)
{
    GenericImage img = counting_image(6, 6, 3, 1, 0);
    long out[3];
    // Size 1 is the pixel itself.
    ASSERT_TRUE(get_pixel_sample(out, 4, 2, 1, img));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(out[k], img.get_bitmap()[2 * 18 + 4 * 3 + k]);
    // Size 5 at the corner clips to the 3 × 3 pixels 0 ... 2.
    ASSERT_TRUE(get_pixel_sample(out, 0, 0, 5, img));
    for (int k = 0; k < 3; ++k) {
        long sum = 0;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                sum += img.get_bitmap()[y * 18 + x * 3 + k];
        EXPECT_EQ(out[k], sum / 9);
    }
    // Beyond the right edge: the square misses the image.
    EXPECT_FALSE(get_pixel_sample(out, 6 + 2, 0, 5, img));
    EXPECT_FALSE(get_pixel_sample(out, 0, -3, 5, img));
    // At the far corner with size 5 the square still reaches the last pixels.
    EXPECT_TRUE(get_pixel_sample(out, 7, 7, 5, img));
    EXPECT_EQ(out[0], img.get_bitmap()[5 * 18 + 5 * 3]);
}

TEST(PixelOps, SampleEvenSizeTruncates)
{
    GenericImage img;
    img.create(make_format(2, 1, 3, 1));
    std::memset(img.get_bitmap() + 3, 255, 3);
    long out[3];
    ASSERT_TRUE(get_pixel_sample(out, 1, 0, 2, img));
    EXPECT_EQ(out[0], 127);
    EXPECT_EQ(out[1], 127);
    EXPECT_EQ(out[2], 127);
}

TEST(PixelOps, Sample16Bit)
{
    GenericImage img;
    img.create(make_format(2, 1, 1, 2, BitmapFormat::modeGray));
    const uint16_t v[2] = {65535, 65534};
    std::memcpy(img.get_bitmap(), v, 4);
    long out[1];
    ASSERT_TRUE(get_pixel_sample(out, 1, 0, 2, img));
    EXPECT_EQ(out[0], 65534);
}

TEST(PixelOps, RotateThreeByTwoRight)
{
    // Source rows: (1 2 3) / (4 5 6), one byte a pixel.
    GenericImage src = counting_image(3, 2, 1, 1, 1);
    GenericImage dst;
    gimage_rotate_right(&dst, src);
    EXPECT_EQ(dst.format.width, 2);
    EXPECT_EQ(dst.format.height, 3);
    EXPECT_EQ(dst.format.row_bytes, 2);
    // First row is the first column read from bottom to top.
    EXPECT_EQ(bytes_of(dst), (std::vector<unsigned char>{4, 1, 5, 2, 6, 3}));
    GenericImage left;
    gimage_rotate_left(&left, src);
    EXPECT_EQ(bytes_of(left), (std::vector<unsigned char>{3, 6, 2, 5, 1, 4}));
}

TEST(PixelOps, RotationRoundTripsEveryPixelSize)
{
    // Sizes wider than the copy blocks, with specialised and unspecialised pixel sizes.
    for (int bpp : {1, 2, 3, 4, 5, 6, 8, 10}) {
        GenericImage src = counting_image(37, 70, bpp, 1, 3);
        src.format.color_mode = BitmapFormat::modeCMYK;
        GenericImage r, back;
        gimage_rotate_right(&r, src);
        gimage_rotate_left(&back, r);
        EXPECT_EQ(back.format, src.format) << bpp;
        EXPECT_EQ(bytes_of(back), bytes_of(src)) << bpp;
        // Right then right is a half turn: pixel (x, y) goes to (W-1-x, H-1-y).
        GenericImage half;
        gimage_rotate_right(&half, r);
        for (int y = 0; y < 70; y += 13)
            for (int x = 0; x < 37; x += 5)
                ASSERT_EQ(0, std::memcmp(half.get_bitmap() + ((69 - y) * 37 + (36 - x)) * bpp,
                                         src.get_bitmap() + (y * 37 + x) * bpp, bpp));
    }
}

TEST(PixelOps, RotateInPlace)
{
    GenericImage img = counting_image(3, 2, 1, 1, 1);
    gimage_rotate_right(&img, img);
    EXPECT_EQ(bytes_of(img), (std::vector<unsigned char>{4, 1, 5, 2, 6, 3}));
}
