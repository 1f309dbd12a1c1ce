#include "image/jpeg/jpeg.h"

#include "../support/temp_dir.h"
#include "tiff_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

using namespace vemora;

namespace {

using Bytes = std::vector<unsigned char>;

std::string corpus(const std::string& name)
{
    return std::string(VERIGLOW_SOURCE_DIR) + "/tests/image/jpeg/" + name;
}

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const Bytes& b)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct Pnm {
    int width = 0, height = 0, channels = 0;
    Bytes pixels;
};

// djpeg's own decoding, as PGM or PPM.
bool djpeg(const std::string& jpeg, const std::string& out, Pnm* p)
{
    const std::string cmd = "djpeg -pnm -outfile '" + out + "' '" + jpeg + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0)
        return false;
    Bytes b = read_file(out);
    std::string head(b.begin(), b.begin() + std::min<std::size_t>(b.size(), 64));
    std::istringstream is(head);
    std::string magic;
    int maxval = 0;
    is >> magic >> p->width >> p->height >> maxval;
    p->channels = magic == "P5" ? 1 : 3;
    const std::size_t start = static_cast<std::size_t>(is.tellg()) + 1;
    p->pixels.assign(b.begin() + static_cast<long>(start), b.end());
    return maxval == 255 && p->pixels.size() == static_cast<std::size_t>(p->width) * p->height * p->channels;
}

struct Read {
    bool ok = false;
    PointerHolder<GenericImage> image;
    std::unique_ptr<dxJPEG> reader;
};

Read read_jpeg(const std::string& path)
{
    Read r;
    r.reader = std::make_unique<dxJPEG>();
    auto s = vgtest::file_stream(path);
    if (!s)
        return r;
    r.ok = r.reader->read_jpeg(dxJPEG::get_icc_profile_marker(), *s);
    if (r.ok)
        r.image = r.reader->get_image();
    return r;
}

Bytes app2(const Bytes& payload)
{
    Bytes seg = {0xFF, 0xE2, static_cast<unsigned char>((payload.size() + 2) >> 8),
                 static_cast<unsigned char>(payload.size() + 2)};
    seg.insert(seg.end(), payload.begin(), payload.end());
    return seg;
}

Bytes icc_segment(unsigned char seq, unsigned char count, const Bytes& data)
{
    Bytes p = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, seq, count};
    p.insert(p.end(), data.begin(), data.end());
    return app2(p);
}

// The corpus file with segments inserted right after SOI.
Bytes with_segments(const std::vector<Bytes>& segments)
{
    Bytes b = read_file(corpus("ycbcr.jpg"));
    Bytes out(b.begin(), b.begin() + 2);
    for (const Bytes& s : segments)
        out.insert(out.end(), s.begin(), s.end());
    out.insert(out.end(), b.begin() + 2, b.end());
    return out;
}

} // namespace

TEST(Jpeg, DecodesLikeDjpeg)
{
    vgtest::TempDir tmp;
    struct Case {
        const char* name;
        int channels;
        int mode;
    };
    const Case cases[] = {{"gray.jpg", 1, BitmapFormat::modeGray},
                          {"ycbcr.jpg", 3, BitmapFormat::modeRGB},
                          {"ycbcr-progressive.jpg", 3, BitmapFormat::modeRGB},
                          {"ycbcr-icc.jpg", 3, BitmapFormat::modeRGB}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pnm ref;
        ASSERT_TRUE(djpeg(corpus(c.name), (tmp.path() / "out.pnm").string(), &ref));
        Read r = read_jpeg(corpus(c.name));
        ASSERT_TRUE(r.ok);
        const BitmapFormat& f = r.image->format;
        EXPECT_EQ(f.width, ref.width);
        EXPECT_EQ(f.height, ref.height);
        EXPECT_EQ(f.channel_count, c.channels);
        EXPECT_EQ(f.bytes_per_pixel, c.channels);
        EXPECT_EQ(f.bytes_per_channel, 1);
        EXPECT_EQ(f.row_bytes, f.width * c.channels);
        EXPECT_EQ(f.color_mode, c.mode);
        ASSERT_EQ(r.image->bitmap_size, ref.pixels.size());
        EXPECT_TRUE(std::equal(ref.pixels.begin(), ref.pixels.end(), r.image->get_bitmap()));
    }
}

TEST(Jpeg, AdobeCmykIsStoredInverted)
{
    // djpeg writes CMYK as RGB: r = c·k / 255 rounded, with the file's (Adobe, inverted) values.
    vgtest::TempDir tmp;
    Pnm ref;
    ASSERT_TRUE(djpeg(corpus("cmyk-adobe.jpg"), (tmp.path() / "out.ppm").string(), &ref));
    Read r = read_jpeg(corpus("cmyk-adobe.jpg"));
    ASSERT_TRUE(r.ok);
    const BitmapFormat& f = r.image->format;
    EXPECT_EQ(f.channel_count, 4);
    EXPECT_EQ(f.color_mode, BitmapFormat::modeCMYK);
    ASSERT_EQ(static_cast<std::size_t>(f.width) * f.height * 3, ref.pixels.size());
    for (std::size_t p = 0; p < static_cast<std::size_t>(f.width) * f.height; ++p) {
        const unsigned char* px = r.image->get_bitmap() + 4 * p;
        const double k = 255 - px[3];
        for (int ch = 0; ch < 3; ++ch) {
            const double decoded = 255 - px[ch];
            const int want = static_cast<int>(decoded * k / 255.0 + 0.5);
            ASSERT_EQ(ref.pixels[3 * p + ch], want) << p;
        }
    }
}

TEST(Jpeg, EmbeddedProfile)
{
    Read r = read_jpeg(corpus("ycbcr-icc.jpg"));
    ASSERT_TRUE(r.ok);
    Bytes profile;
    ASSERT_TRUE(r.reader->get_icc_profile(profile));
    EXPECT_EQ(profile, read_file("/usr/share/color/icc/colord/sRGB.icc"));
    Bytes again;
    EXPECT_FALSE(r.reader->get_icc_profile(again));
    Read none = read_jpeg(corpus("ycbcr.jpg"));
    ASSERT_TRUE(none.ok);
    Bytes nothing;
    EXPECT_FALSE(none.reader->get_icc_profile(nothing));
}

TEST(Jpeg, ProfileSegments)
{
    vgtest::TempDir tmp;
    const std::string path = (tmp.path() / "t.jpg").string();
    const Bytes a = {1, 2, 3}, b = {4, 5};
    struct Case {
        const char* name;
        std::vector<Bytes> segments;
        bool found;
        Bytes profile;
    };
    const std::vector<Case> cases = {
        {"out of order", {icc_segment(2, 2, b), icc_segment(1, 2, a)}, true, {1, 2, 3, 4, 5}},
        {"in order with another APP2 between", {icc_segment(1, 2, a), app2({'X', 'Y'}), icc_segment(2, 2, b)},
         true, {1, 2, 3, 4, 5}},
        {"count 0 is one segment", {icc_segment(1, 0, a)}, true, a},
        {"only the second of two", {icc_segment(2, 2, b)}, false, {}},
        {"the second missing", {icc_segment(1, 2, a)}, false, {}},
        {"header-only segment ignored", {icc_segment(1, 1, {})}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(path, with_segments(c.segments));
        Read r = read_jpeg(path);
        ASSERT_TRUE(r.ok);
        Bytes got;
        EXPECT_EQ(r.reader->get_icc_profile(got), c.found);
        if (c.found) {
            EXPECT_EQ(got, c.profile);
            // The unused APP2 segment stays.
            EXPECT_EQ(r.reader->get_chunks().size(), c.segments.size() - (c.segments.size() == 1 ? 1 : 2));
        }
    }
}

TEST(Jpeg, DamagedFiles)
{
    vgtest::TempDir tmp;
    const std::string path = (tmp.path() / "t.jpg").string();
    const Bytes whole = read_file(corpus("ycbcr.jpg"));
    std::size_t sos = 0;
    for (std::size_t i = 0; i + 1 < whole.size(); ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
            sos = i;
            break;
        }
    ASSERT_GT(sos, 0u);
    struct Case {
        const char* name;
        Bytes bytes;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"empty", {}, false},
        {"SOI only", {0xFF, 0xD8}, false},
        {"ends before the first scan", Bytes(whole.begin(), whole.begin() + static_cast<long>(sos) - 10), false},
        {"ends inside the scan", Bytes(whole.begin(), whole.begin() + static_cast<long>(sos) + 40), true},
        {"marker length below 2", with_segments({{0xFF, 0xE2, 0x00, 0x01}}), false},
        {"marker swallowing the rest of the file", with_segments({{0xFF, 0xE2, 0xFF, 0xFF, 'I', 'C', 'C'}}), false},
        {"not a JPEG", {'I', 'I', 42, 0, 8, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(path, c.bytes);
        Read r = read_jpeg(path);
        EXPECT_EQ(r.ok, c.ok);
        if (!c.ok) {
            EXPECT_TRUE(r.reader->get_image().isNull());
        } else {
            EXPECT_FALSE(r.reader->get_image().isNull());
        }
        // The reader is destroyed normally here, on the failure path too.
    }
}

TEST(Jpeg, StreamWithoutFile)
{
    auto mem = vgtest::memory_stream(read_file(corpus("gray.jpg")));
    dxJPEG reader;
    EXPECT_FALSE(reader.read_jpeg(dxJPEG::get_icc_profile_marker(), *mem));
}

TEST(Jpeg, IsJpeg)
{
    auto tif = vgtest::memory_stream({'M', 'M', 0, 42, 0, 0, 0, 8});
    tif->setPos(3, true);
    EXPECT_FALSE(dxJPEG::is_jpeg(*tif));
    EXPECT_EQ(tif->getPos(), 3);
    auto jpg = vgtest::memory_stream(read_file(corpus("gray.jpg")));
    jpg->setPos(7, true);
    EXPECT_TRUE(dxJPEG::is_jpeg(*jpg));
    EXPECT_EQ(jpg->getPos(), 7);
    auto empty = vgtest::memory_stream({});
    EXPECT_FALSE(dxJPEG::is_jpeg(*empty));
}

TEST(Jpeg, ColourSpaceCodes)
{
    EXPECT_EQ(dxJPEG::get_pixel_color_by_jpeg_color(1), BitmapFormat::modeGray);
    EXPECT_EQ(dxJPEG::get_pixel_color_by_jpeg_color(2), BitmapFormat::modeRGB);
    EXPECT_EQ(dxJPEG::get_pixel_color_by_jpeg_color(4), BitmapFormat::modeCMYK);
    EXPECT_EQ(dxJPEG::get_pixel_color_by_jpeg_color(3), BitmapFormat::modeUndefined);
    EXPECT_EQ(dxJPEG::get_icc_profile_marker(), std::vector<uint32_t>{0xE2});
}

TEST(Jpeg, RegistryLivesWhileReadersDo)
{
    EXPECT_FALSE(dxJPEG::has_id_checker());
    {
        Read a = read_jpeg(corpus("gray.jpg"));
        Read b = read_jpeg(corpus("ycbcr.jpg"));
        ASSERT_TRUE(a.ok && b.ok);
        EXPECT_TRUE(dxJPEG::has_id_checker());
        a.reader.reset();
        EXPECT_TRUE(dxJPEG::has_id_checker());
    }
    EXPECT_FALSE(dxJPEG::has_id_checker());
}
