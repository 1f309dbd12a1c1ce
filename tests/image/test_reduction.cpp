#include "image/generic_image.h"
#include "image/image_compressor.h"
#include "image/screen_scaler.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vemora;
using namespace vemora::nsp_ImageCompressor;

namespace {

GenericImage make(int w, int h, int channels, int bpc, int bpp, int mode)
{
    BitmapFormat f;
    f.width = w;
    f.height = h;
    f.channel_count = channels;
    f.bytes_per_channel = bpc;
    f.bytes_per_pixel = bpp;
    f.row_bytes = w * bpp;
    f.color_mode = mode;
    GenericImage img;
    img.create(f);
    return img;
}

GenericImage reduce(const GenericImage& src, double factor, CompresseInfo* info)
{
    get_compress_info(info, factor, src);
    GenericImage dst;
    init_compress_image(&dst, *info);
    compress_rect(&dst, 0, 0, static_cast<long>(info->columns.size()), static_cast<long>(info->rows.size()), *info);
    return dst;
}

} // namespace

TEST(Reduction, HalfOfFiveSamplesEveryOtherColumn)
{
    GenericImage src = make(5, 1, 3, 1, 3, BitmapFormat::modeRGB);
    for (int i = 0; i < 15; ++i)
        src.get_bitmap()[i] = static_cast<unsigned char>(10 * i);
    CompresseInfo info;
    GenericImage dst = reduce(src, 0.5, &info);
    ASSERT_EQ(info.columns.size(), 3u);
    const int want[3] = {0, 2, 4};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(info.columns[i].offset0, 3 * want[i]);
        EXPECT_EQ(info.columns[i].weight, 0);
        EXPECT_EQ(dst.get_bitmap()[3 * i], 10 * 3 * want[i]);
    }
    EXPECT_EQ(dst.format.width, 3);
    EXPECT_EQ(dst.format.row_bytes, 9);
}

TEST(Reduction, FourToThreeAveragesTheMiddle)
{
    GenericImage src = make(4, 1, 3, 1, 3, BitmapFormat::modeRGB);
    const unsigned char px[12] = {0, 0, 0, 10, 100, 201, 21, 151, 0, 255, 255, 255};
    std::memcpy(src.get_bitmap(), px, 12);
    CompresseInfo info;
    GenericImage dst = reduce(src, 0.75, &info);
    ASSERT_EQ(info.columns.size(), 3u);
    EXPECT_EQ(info.columns[1].offset0, 3);
    EXPECT_EQ(info.columns[1].offset1, 6);
    EXPECT_EQ(info.columns[1].weight, 128);
    // (10 + 21) / 2, (100 + 151) / 2 floor, and 201 → 0 falls by half (arithmetic shift).
    EXPECT_EQ(dst.get_bitmap()[3], 15);
    EXPECT_EQ(dst.get_bitmap()[4], 125);
    EXPECT_EQ(dst.get_bitmap()[5], 100);
    EXPECT_EQ(dst.get_bitmap()[6], 255);
}

TEST(Reduction, PaddingByteStaysZero)
{
    GenericImage src = make(6, 6, 3, 1, 4, BitmapFormat::modeRGB);
    std::memset(src.get_bitmap(), 200, src.bitmap_size);
    CompresseInfo info;
    GenericImage dst = reduce(src, 0.5, &info);
    ASSERT_EQ(dst.format.bytes_per_pixel, 4);
    for (long p = 0; p < dst.format.width * dst.format.height; ++p) {
        EXPECT_EQ(dst.get_bitmap()[4 * p], 200);
        EXPECT_EQ(dst.get_bitmap()[4 * p + 2], 200);
        EXPECT_EQ(dst.get_bitmap()[4 * p + 3], 0);
    }
}

TEST(Reduction, RowsWeightedAndSixteenBitCmyk)
{
    // Two rows 0 and 65535 reduced 2 → ... with a vertical weight: rows of 3 to 2 gives the ends.
    GenericImage src = make(1, 3, 4, 2, 8, BitmapFormat::modeCMYK);
    uint16_t* s = reinterpret_cast<uint16_t*>(src.get_bitmap());
    for (int k = 0; k < 4; ++k) {
        s[k] = 0;
        s[4 + k] = 30000;
        s[8 + k] = 65535;
    }
    CompresseInfo info;
    GenericImage dst = reduce(src, 2.0 / 3.0, &info);
    ASSERT_EQ(info.rows.size(), 2u);
    EXPECT_EQ(info.rows[0].row0, src.get_bitmap());
    EXPECT_EQ(info.rows[1].row0, src.get_bitmap() + 2 * 8);
    const uint16_t* d = reinterpret_cast<const uint16_t*>(dst.get_bitmap());
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(d[4 + 3], 65535);
    // 4 → 3 rows: the middle row halfway between rows 1 and 2, 16-bit samples kept whole.
    GenericImage tall = make(1, 4, 4, 2, 8, BitmapFormat::modeCMYK);
    uint16_t* t = reinterpret_cast<uint16_t*>(tall.get_bitmap());
    for (int k = 0; k < 4; ++k) {
        t[4 + k] = 40000;
        t[8 + k] = 60001;
    }
    GenericImage r = reduce(tall, 0.75, &info);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(r.get_bitmap())[4], 50000);
}

TEST(Reduction, SingleColumnAndRowSampleTheFirst)
{
    GenericImage src = make(7, 5, 3, 1, 3, BitmapFormat::modeRGB);
    for (std::size_t i = 0; i < src.bitmap_size; ++i)
        src.get_bitmap()[i] = static_cast<unsigned char>(i + 1);
    CompresseInfo info;
    GenericImage dst = reduce(src, 0.1, &info);
    ASSERT_EQ(info.columns.size(), 1u);
    ASSERT_EQ(info.rows.size(), 1u);
    EXPECT_EQ(info.columns[0].offset0, 0);
    EXPECT_EQ(info.columns[0].weight, 0);
    EXPECT_EQ(dst.get_bitmap()[0], 1);
    // A one-pixel source enlarged by the reducer: every sample is that pixel.
    GenericImage one = make(1, 1, 3, 1, 3, BitmapFormat::modeRGB);
    one.get_bitmap()[0] = 77;
    GenericImage big = reduce(one, 3.0, &info);
    ASSERT_EQ(info.columns.size(), 3u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(big.get_bitmap()[3 * i], 77);
}

TEST(Reduction, UnsupportedModeWritesNothing)
{
    GenericImage src = make(4, 4, 1, 1, 1, BitmapFormat::modeGray);
    std::memset(src.get_bitmap(), 9, src.bitmap_size);
    CompresseInfo info;
    GenericImage dst = reduce(src, 0.5, &info);
    for (std::size_t i = 0; i < dst.bitmap_size; ++i)
        EXPECT_EQ(dst.get_bitmap()[i], 0);
}

TEST(Reduction, RectanglesComposeAndClip)
{
    GenericImage src = make(40, 30, 3, 1, 3, BitmapFormat::modeRGB);
    for (std::size_t i = 0; i < src.bitmap_size; ++i)
        src.get_bitmap()[i] = static_cast<unsigned char>(i * 7 + i / 13);
    CompresseInfo info;
    GenericImage whole = reduce(src, 0.37, &info);
    GenericImage tiles;
    init_compress_image(&tiles, info);
    for (long y = 0; y < 20; y += 5)
        for (long x = 0; x < 20; x += 6)
            compress_rect(&tiles, x, y, x + 6, y + 5, info); // the last tiles reach past the edge
    ASSERT_EQ(tiles.bitmap_size, whole.bitmap_size);
    EXPECT_EQ(0, std::memcmp(tiles.get_bitmap(), whole.get_bitmap(), whole.bitmap_size));
}

TEST(ScreenScaler, ScaledSizeRounding)
{
    EXPECT_EQ(ScreenScaler::calc_scaled_size(1.5, 3), 5u);
    EXPECT_EQ(ScreenScaler::calc_scaled_size(2, 100), 200u);
    EXPECT_EQ(ScreenScaler::calc_scaled_size(0.3333333, 3), 1u);
    EXPECT_EQ(ScreenScaler::calc_scaled_size(1.000000004, 100), 100u);
    EXPECT_EQ(ScreenScaler::calc_scaled_size(1.01, 100), 101u);
    EXPECT_EQ(ScreenScaler::calc_scaled_size(3, 0), 0u);
}

TEST(ScreenScaler, SourceCoordinates)
{
    ScreenScaler s;
    unsigned char px[4 * 10 * 10] = {};
    s.set_source_image(px, 10, 10);
    s.set_scale(2);
    EXPECT_EQ(s.scaledWidth, 20u);
    EXPECT_EQ(s.sourceRowBytes, 40u);
    s.set_process_coord(3, 3, 7, 7);
    EXPECT_EQ(s.processBytes, 4u * 4 * 4);
    unsigned long l, t, r, b;
    s.get_source_coord(&l, &t, &r, &b);
    EXPECT_EQ(l, 1u);
    EXPECT_EQ(t, 1u);
    EXPECT_EQ(r, 4u);
    EXPECT_EQ(b, 4u);
}

TEST(ScreenScaler, RepeatsPixels)
{
    // 3 × 2 source of distinct pixels, doubled.
    uint32_t src[6] = {1, 2, 3, 4, 5, 6};
    ScreenScaler s;
    s.set_source_image(reinterpret_cast<unsigned char*>(src), 3, 2);
    s.set_scale(2);
    s.set_process_coord(0, 0, 6, 4);
    uint32_t out[24] = {};
    s.target = reinterpret_cast<unsigned char*>(out);
    s.scale();
    const uint32_t want[24] = {1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 4, 4, 5, 5, 6, 6};
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(out[i], want[i]) << i;
    // A rectangle inside, packed: columns 3 ... 4 of rows 1 ... 2.
    uint32_t part[4] = {};
    s.set_process_coord(3, 1, 5, 3);
    s.target = reinterpret_cast<unsigned char*>(part);
    s.scale();
    EXPECT_EQ(part[0], 2u);
    EXPECT_EQ(part[1], 3u);
    EXPECT_EQ(part[2], 5u);
    EXPECT_EQ(part[3], 6u);
}

TEST(ScreenScaler, NeverReadsPastTheSource)
{
    // 1.5 × 3 = 4.5 is shown as 5 pixels; the last one must still read source pixel 2.
    uint32_t src[3] = {7, 8, 9};
    ScreenScaler s;
    s.set_source_image(reinterpret_cast<unsigned char*>(src), 3, 1);
    s.set_scale(1.5);
    ASSERT_EQ(s.scaledWidth, 5u);
    s.set_process_coord(0, 0, s.scaledWidth + 2, 1);
    uint32_t out[7] = {};
    s.target = reinterpret_cast<unsigned char*>(out);
    s.scale();
    EXPECT_EQ(out[0], 7u);
    EXPECT_EQ(out[4], 9u);
    EXPECT_EQ(out[6], 9u);
}
