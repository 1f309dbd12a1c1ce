// The corpus written by ImageMagick, libtiff's tools and libtiff itself: every readable file
// decodes sample for sample to what libtiff reads from it (after the reader's own mappings:
// WhiteIsZero inverted, DotRange applied), every refused kind gets its status and load_image
// refuses it.
#include "image/tiff/tiff.h"

#include "tiff_builder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace vemora;

namespace {

std::string corpus(const std::string& name)
{
    return std::string(VERIGLOW_SOURCE_DIR) + "/tests/image/tiff/" + name;
}

struct Reference {
    uint32_t width = 0, length = 0;
    uint16_t spp = 0, bits = 0, photometric = 0;
    std::vector<unsigned char> pixels; // chunky, host order
};

// libtiff's own decoding, scanline by scanline, planes interleaved into chunky pixels.
bool libtiff_decode(const std::string& path, Reference* r)
{
    TIFFSetWarningHandler(nullptr);
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t)
        return false;
    uint16_t planar = 1;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &r->width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &r->length);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &r->spp);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &r->bits);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &r->photometric);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    const std::size_t bpc = r->bits / 8, bpp = bpc * r->spp, row = bpp * r->width;
    r->pixels.assign(row * r->length, 0);
    std::vector<unsigned char> line(static_cast<std::size_t>(TIFFScanlineSize(t)));
    bool ok = true;
    if (planar == PLANARCONFIG_CONTIG) {
        for (uint32_t y = 0; y < r->length && ok; ++y) {
            ok = TIFFReadScanline(t, line.data(), y, 0) >= 0;
            std::memcpy(r->pixels.data() + y * row, line.data(), row);
        }
    } else {
        for (uint16_t p = 0; p < r->spp && ok; ++p)
            for (uint32_t y = 0; y < r->length && ok; ++y) {
                ok = TIFFReadScanline(t, line.data(), y, p) >= 0;
                for (uint32_t x = 0; x < r->width; ++x)
                    std::memcpy(r->pixels.data() + y * row + x * bpp + p * bpc, line.data() + x * bpc, bpc);
            }
    }
    TIFFClose(t);
    return ok;
}

// What the reader adds to libtiff's samples: WhiteIsZero inverted, DotRange scaled.
void apply_reader_mappings(Reference* r, const std::vector<uint16_t>& dot)
{
    const bool wide = r->bits == 16;
    const long full = wide ? 65535 : 255;
    const std::size_t n = r->pixels.size() / (wide ? 2 : 1);
    for (std::size_t i = 0; i < n; ++i) {
        long v = wide ? reinterpret_cast<uint16_t*>(r->pixels.data())[i] : r->pixels[i];
        if (r->photometric == PHOTOMETRIC_MINISWHITE)
            v = full - v;
        if (r->photometric == PHOTOMETRIC_SEPARATED && dot.size() == 2 && dot[1] > dot[0])
            v = std::clamp<long>((v - dot[0]) * (full + 1) / (dot[1] - dot[0]), 0, full);
        if (wide)
            reinterpret_cast<uint16_t*>(r->pixels.data())[i] = static_cast<uint16_t>(v);
        else
            r->pixels[i] = static_cast<unsigned char>(v);
    }
}

struct Loaded {
    bool read = false;
    bool loaded = false;
    dxTIFF::IFD_struct ifd0;
    std::size_t ifd_count = 0;
    GenericImage image;
};

Loaded load(const std::string& path)
{
    Loaded l;
    auto s = vgtest::file_stream(path);
    if (!s)
        return l;
    dxTIFF tiff;
    try {
        l.read = tiff.Read(*s);
    } catch (const ExceptionDebuggErrorID&) {
        return l;
    }
    l.ifd0 = tiff.GetIFD(0);
    l.ifd_count = tiff.GetIFDCount();
    try {
        l.loaded = tiff.load_image(&l.image, 0);
    } catch (const ExceptionDebuggErrorID& e) {
        EXPECT_EQ(e.getId(), -1509);
    }
    return l;
}

const char* const kReadable[] = {
    "rgb8-none-mm.tif",          "rgb8-none-ii.tif",           "rgb16-none-mm.tif",
    "rgb16-lzw-ii.tif",          "rgba8-lzw.tif",              "cmyk8-none.tif",
    "cmyk16-lzw-mm.tif",         "gray8-minisblack.tif",       "gray16-minisblack-lzw.tif",
    "gray8-miniswhite.tif",      "lab8-im.tif",                "rgb8-icc.tif",
    "rgb8-lzw-pred-mm.tif",      "rgb8-lzw-pred-ii.tif",       "rgb16-lzw-pred-ii.tif",
    "rgb16-lzw-pred-mm.tif",     "rgb8-planar.tif",            "cmyk8-planar-lzw.tif",
    "rgb8-strips5.tif",          "rgb8-strips4-lzw-pred.tif",  "rgb8-planar-strips6-lzw.tif",
    "multi-ifd.tif",             "mixed-lzw-jpeg-palette.tif", "lab8.tif",
    "lab16-lzw.tif",             "cmyk8-dotrange.tif",         "cmyk16-dotrange-lzw.tif",
    "gray16-miniswhite.tif",     "gray8-miniswhite-lzw-pred.tif", "rgb8-extra2-lzw.tif",
    "rgb16-planar-lzw-pred-ii.tif", "cmyk16-planar-mm.tif",
};

} // namespace

TEST(TiffCorpus, DecodesLikeLibtiff)
{
    for (const char* name : kReadable) {
        SCOPED_TRACE(name);
        Reference ref;
        ASSERT_TRUE(libtiff_decode(corpus(name), &ref));
        Loaded l = load(corpus(name));
        ASSERT_TRUE(l.read);
        ASSERT_EQ(l.ifd0.status, 0);
        ASSERT_TRUE(l.loaded);
        apply_reader_mappings(&ref, l.ifd0.dot_range);
        const BitmapFormat& f = l.image.format;
        EXPECT_EQ(static_cast<uint32_t>(f.width), ref.width);
        EXPECT_EQ(static_cast<uint32_t>(f.height), ref.length);
        EXPECT_EQ(f.channel_count, ref.spp);
        EXPECT_EQ(f.bytes_per_channel, ref.bits / 8);
        ASSERT_EQ(l.image.bitmap_size, ref.pixels.size());
        EXPECT_TRUE(std::equal(ref.pixels.begin(), ref.pixels.end(), l.image.get_bitmap()));
        const int want_mode = ref.photometric <= 1 ? BitmapFormat::modeGray
                              : ref.photometric == 2 ? BitmapFormat::modeRGB
                              : ref.photometric == 5 ? BitmapFormat::modeCMYK
                                                     : BitmapFormat::modeTiffLab;
        EXPECT_EQ(f.color_mode, want_mode);
    }
}

TEST(TiffCorpus, RefusedKinds)
{
    struct Case {
        const char* name;
        int status; // of the first IFD
    };
    const Case cases[] = {
        {"refused-jpeg.tif", 1},         {"refused-deflate.tif", 1},  {"refused-packbits.tif", 1},
        {"refused-palette.tif", 2},      {"refused-bilevel.tif", 0},  {"refused-float32.tif", 0},
        {"refused-int16-signed.tif", 0}, {"refused-tiled.tif", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded l = load(corpus(c.name));
        ASSERT_TRUE(l.read);
        EXPECT_EQ(l.ifd0.status, c.status);
        EXPECT_FALSE(l.loaded);
    }
}

TEST(TiffCorpus, ByteOrdersAndLayoutsAgree)
{
    const GenericImage mm = load(corpus("rgb8-none-mm.tif")).image;
    for (const char* other : {"rgb8-none-ii.tif", "rgb8-planar.tif", "rgb8-strips5.tif", "rgb8-lzw-pred-ii.tif",
                              "rgb8-planar-strips6-lzw.tif"}) {
        SCOPED_TRACE(other);
        const GenericImage o = load(corpus(other)).image;
        ASSERT_EQ(o.format, mm.format);
        EXPECT_EQ(0, std::memcmp(o.get_bitmap(), mm.get_bitmap(), mm.bitmap_size));
    }
    const GenericImage mm16 = load(corpus("rgb16-none-mm.tif")).image;
    for (const char* other : {"rgb16-lzw-pred-ii.tif"}) {
        const GenericImage o = load(corpus(other)).image;
        ASSERT_EQ(o.format, mm16.format);
        EXPECT_EQ(0, std::memcmp(o.get_bitmap(), mm16.get_bitmap(), mm16.bitmap_size));
    }
}

TEST(TiffCorpus, DirectoryFields)
{
    Loaded icc = load(corpus("rgb8-icc.tif"));
    EXPECT_TRUE(icc.ifd0.has_icc_profile);
    EXPECT_GT(icc.ifd0.icc_profile_offset, 8u);
    EXPECT_FALSE(load(corpus("rgb8-none-mm.tif")).ifd0.has_icc_profile);

    Loaded strips = load(corpus("rgb8-strips5.tif"));
    ASSERT_EQ(strips.ifd0.GetStripCount(), 4u);
    EXPECT_EQ(strips.ifd0.GetRowCountPerStrip(0), 5u);
    EXPECT_EQ(strips.ifd0.GetRowCountPerStrip(2), 5u);
    EXPECT_EQ(strips.ifd0.GetRowCountPerStrip(3), 2u); // 17 rows: the last strip holds the rest

    EXPECT_EQ(load(corpus("multi-ifd.tif")).ifd_count, 3u);

    // The reader's status of each IFD of a file mixing LZW, JPEG and palette images.
    auto s = vgtest::file_stream(corpus("mixed-lzw-jpeg-palette.tif"));
    dxTIFF tiff;
    ASSERT_TRUE(tiff.Read(*s));
    ASSERT_EQ(tiff.GetIFDCount(), 3u);
    EXPECT_TRUE(tiff.Is_IFDOK(0));
    EXPECT_EQ(tiff.GetIFD(1).status, 1);
    EXPECT_EQ(tiff.GetIFD(2).status, 2);
    GenericImage img;
    EXPECT_THROW(tiff.load_image(&img, 1), ExceptionDebuggErrorID);
    EXPECT_THROW(tiff.load_image(&img, 2), ExceptionDebuggErrorID);
    EXPECT_TRUE(tiff.load_image(&img, 0));
    // Reading a second file with the same reader is refused.
    try {
        tiff.Read(*s);
        ADD_FAILURE();
    } catch (const ExceptionDebuggErrorID& e) {
        EXPECT_EQ(e.getId(), -1503);
    }
}

TEST(TiffCorpus, DotRangeMapping)
{
    // DotRange (0, 200): 200 becomes 255, 100 becomes 128, values above the range stay 255.
    Loaded l = load(corpus("cmyk8-dotrange.tif"));
    ASSERT_TRUE(l.loaded);
    Reference raw;
    ASSERT_TRUE(libtiff_decode(corpus("cmyk8-dotrange.tif"), &raw));
    bool saw200 = false, saw100 = false;
    for (std::size_t i = 0; i < raw.pixels.size(); ++i) {
        const unsigned char v = raw.pixels[i], got = l.image.get_bitmap()[i];
        if (v == 200) {
            saw200 = true;
            EXPECT_EQ(got, 255);
        }
        if (v == 100) {
            saw100 = true;
            EXPECT_EQ(got, 128);
        }
        if (v > 200) {
            EXPECT_EQ(got, 255);
        }
    }
    EXPECT_TRUE(saw200 && saw100);
    // Without DotRange every value is kept.
    Reference plain;
    ASSERT_TRUE(libtiff_decode(corpus("cmyk8-none.tif"), &plain));
    Loaded p = load(corpus("cmyk8-none.tif"));
    EXPECT_TRUE(std::equal(plain.pixels.begin(), plain.pixels.end(), p.image.get_bitmap()));
}
