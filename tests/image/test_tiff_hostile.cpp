// Structures no sound writer makes: each must end in a clear failure (or status), never a
// crash, a hang or a read outside the file.
#include "image/tiff/tiff.h"

#include "lzw_codes.h"
#include "tiff_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace vemora;
using vgtest::Tag;
using vgtest::TiffBuilder;

namespace {

enum class Outcome { readFails, loadFails, loads };

struct Result {
    Outcome outcome = Outcome::readFails;
    long error = 0;
    std::vector<dxTIFF::IFD_struct> ifds;
    GenericImage image;
};

Result run(const std::vector<unsigned char>& bytes)
{
    Result r;
    auto s = vgtest::memory_stream(bytes);
    dxTIFF tiff;
    try {
        tiff.Read(*s);
    } catch (const ExceptionDebuggErrorID& e) {
        r.error = e.getId();
        return r;
    }
    for (std::size_t i = 0; i < tiff.GetIFDCount(); ++i)
        r.ifds.push_back(tiff.GetIFD(i));
    try {
        tiff.load_image(&r.image, 0);
        r.outcome = Outcome::loads;
    } catch (const ExceptionDebuggErrorID& e) {
        r.error = e.getId();
        r.outcome = Outcome::loadFails;
    }
    return r;
}

std::vector<unsigned char> rgb_pixels(uint32_t w, uint32_t h)
{
    std::vector<unsigned char> p(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<unsigned char>(i * 13 + 5);
    return p;
}

// A 4 × 3 RGB image with one uncompressed strip, the tags passed through `edit` first.
template <class Edit>
std::vector<unsigned char> rgb_file(Edit edit)
{
    TiffBuilder b;
    const auto px = rgb_pixels(4, 3);
    const uint32_t strip = b.add(px);
    std::vector<Tag> tags = vgtest::strip_image_tags(4, 3, 3, 2, strip, static_cast<uint32_t>(px.size()));
    edit(b, tags);
    b.ifd(tags);
    return b.b;
}

void set_tag(std::vector<Tag>& tags, Tag t)
{
    for (Tag& x : tags)
        if (x.tag == t.tag) {
            x = t;
            return;
        }
    tags.push_back(t);
}

void drop_tag(std::vector<Tag>& tags, uint16_t tag)
{
    tags.erase(std::remove_if(tags.begin(), tags.end(), [&](const Tag& t) { return t.tag == tag; }), tags.end());
}

} // namespace

TEST(TiffHostile, PlainFileLoads)
{
    Result r = run(rgb_file([](TiffBuilder&, std::vector<Tag>&) {}));
    ASSERT_EQ(r.outcome, Outcome::loads);
    const auto px = rgb_pixels(4, 3);
    ASSERT_EQ(r.image.bitmap_size, px.size());
    EXPECT_EQ(0, std::memcmp(r.image.get_bitmap(), px.data(), px.size()));
}

TEST(TiffHostile, HeaderFailures)
{
    const std::vector<std::vector<unsigned char>> files = {
        {},
        {'I', 'I'},
        {'X', 'X', 42, 0, 8, 0, 0, 0},
        {'I', 'I', 43, 0, 8, 0, 0, 0},
        {'I', 'I', 42, 0, 0, 0, 0, 0},     // no first IFD
        {'I', 'I', 42, 0, 0xF0, 0, 0, 0},  // first IFD beyond the end
        {'M', 'M', 0, 42, 0, 0, 0, 8, 0},  // IFD cut inside its entry count
        {'I', 'I', 42, 0, 8, 0, 0, 0, 5, 0}, // five entries announced, none there
    };
    for (const auto& f : files) {
        Result r = run(f);
        EXPECT_EQ(r.outcome, Outcome::readFails);
        EXPECT_EQ(r.error, -1503);
    }
}

TEST(TiffHostile, IFDChainThatLoopsEnds)
{
    TiffBuilder b;
    const auto px = rgb_pixels(4, 3);
    const uint32_t strip = b.add(px);
    const uint32_t a = b.ifd(vgtest::strip_image_tags(4, 3, 3, 2, strip, 36));
    const uint32_t c = b.ifd(vgtest::strip_image_tags(4, 3, 3, 2, strip, 36), a);
    b.set_next(a, c); // a -> c -> a
    Result r = run(b.b);
    EXPECT_EQ(r.outcome, Outcome::loads);
    EXPECT_EQ(r.ifds.size(), 2u);
    // An IFD naming itself as the next one.
    TiffBuilder self;
    const uint32_t s2 = self.add(px);
    const uint32_t only = self.ifd(vgtest::strip_image_tags(4, 3, 3, 2, s2, 36));
    self.set_next(only, only);
    EXPECT_EQ(run(self.b).ifds.size(), 1u);
}

TEST(TiffHostile, NextIFDBeyondTheFileFailsRead)
{
    Result r = run(rgb_file([](TiffBuilder&, std::vector<Tag>&) {}));
    ASSERT_EQ(r.outcome, Outcome::loads);
    auto bytes = rgb_file([](TiffBuilder&, std::vector<Tag>&) {});
    // The next-IFD field is the file's last four bytes.
    TiffBuilder patch;
    patch.b = bytes;
    patch.patch32(bytes.size() - 4, 0x7FFFFFF0);
    EXPECT_EQ(run(patch.b).error, -1503);
}

TEST(TiffHostile, ValuesOutsideTheFile)
{
    struct Case {
        const char* name;
        Tag tag;
    };
    const Case cases[] = {
        {"strip offsets far away", {273, 4, 3, 0xFFFFFF00u}},
        {"count that overflows 32 bits", {273, 4, 0x40000001u, 16}},
        {"huge count inline", {279, 4, 0xFFFFFFFFu, 36}},
        {"bits per sample beyond the end", {258, 3, 3, 0x7FFFFFFFu}},
        {"dot range count overflow", {336, 3, 0x80000001u, 8}},
        {"rational beyond the end", {282, 5, 1, 0x7FFFFFF0u}},
    };
    for (const Case& c : cases) {
        Result r = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) { set_tag(t, c.tag); }));
        EXPECT_EQ(r.outcome, Outcome::readFails) << c.name;
        EXPECT_EQ(r.error, -1503) << c.name;
    }
}

TEST(TiffHostile, StripsThatDoNotHoldTheirRows)
{
    struct Case {
        const char* name;
        Tag tag;
    };
    const Case cases[] = {
        {"strip shorter than its rows", {279, 4, 1, 35}},
        {"strip offset beyond the file", {273, 4, 1, 100000}},
        {"strip ends beyond the file", {279, 4, 1, 100000}},
        {"strip reaching past 4 GB", {279, 4, 1, 0xFFFFFFFFu}},
        {"zero rows per strip", {278, 4, 1, 0}},
        {"too few strips for the rows", {278, 4, 1, 1}},
    };
    for (const Case& c : cases) {
        Result r = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) { set_tag(t, c.tag); }));
        EXPECT_EQ(r.outcome, Outcome::loadFails) << c.name;
        EXPECT_EQ(r.error, -1509) << c.name;
    }
}

TEST(TiffHostile, ImageLargerThanTheMachineIsRefusedBeforeAllocating)
{
    // 65535 × 65535 × 3 × 2 bytes is 24 GB, 2^32 - 1 square is beyond any machine; both are
    // refused from their tags alone (the sanitizer build would abort on such an allocation).
    for (uint32_t side : {0xFFFFu, 0xFFFFFFFFu}) {
        for (uint16_t bits : {8, 16}) {
            if (static_cast<unsigned long long>(side) * side * 3 * (bits / 8) <= dxTIFF::max_image_bytes())
                continue;
            // One strip for all rows, so nothing but the size stands in the way.
            Result r = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) {
                set_tag(t, {256, 4, 1, side});
                set_tag(t, {257, 4, 1, side});
                set_tag(t, {258, 3, 1, bits});
                set_tag(t, {278, 4, 1, 0xFFFFFFFFu});
                set_tag(t, {279, 4, 1, 0xFFFFFFFFu});
            }));
            EXPECT_EQ(r.outcome, Outcome::loadFails) << side;
            EXPECT_EQ(r.error, -1509);
        }
    }
    // A tiny LZW strip cannot stand for a large image: it is refused before the image is made.
    Result lzw = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) {
        set_tag(t, {256, 4, 1, 20000});
        set_tag(t, {257, 4, 1, 20000});
        set_tag(t, {259, 3, 1, 5});
        set_tag(t, {278, 4, 1, 0xFFFFFFFFu});
    }));
    EXPECT_EQ(lzw.outcome, Outcome::loadFails);
    EXPECT_EQ(lzw.image.bitmap_size, 0u);
    // A row wider than the format's 32-bit fields.
    Result wide = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) {
        set_tag(t, {256, 4, 1, 0x40000000u});
        set_tag(t, {257, 4, 1, 1});
    }));
    EXPECT_EQ(wide.outcome, Outcome::loadFails);
}

TEST(TiffHostile, LayoutsWithoutASampleModel)
{
    struct Case {
        const char* name;
        std::vector<Tag> set;
        std::vector<uint16_t> drop;
    };
    const std::vector<Case> cases = {
        {"no compression tag", {}, {259}},
        {"no bits per sample", {}, {258}},
        {"no samples per pixel", {}, {277}},
        {"no strips", {}, {273}},
        {"4-bit samples", {{258, 3, 1, 4}}, {}},
        {"fewer samples than RGB needs", {{277, 3, 1, 1}}, {}},
        {"planar configuration 3", {{284, 3, 1, 3}}, {}},
        {"floating-point samples", {{339, 3, 1, 3}}, {}},
        {"zero width", {{256, 4, 1, 0}}, {}},
    };
    for (const Case& c : cases) {
        Result r = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) {
            for (const Tag& x : c.set)
                set_tag(t, x);
            for (uint16_t d : c.drop)
                drop_tag(t, d);
        }));
        EXPECT_EQ(r.outcome, Outcome::loadFails) << c.name;
        EXPECT_EQ(r.error, -1509) << c.name;
        if (c.name == std::string("no compression tag")) {
            ASSERT_FALSE(r.ifds.empty());
            EXPECT_EQ(r.ifds[0].compression, 0);
        }
    }
}

TEST(TiffHostile, StatusCodes)
{
    struct Case {
        const char* name;
        std::vector<Tag> set;
        int status;
    };
    const std::vector<Case> cases = {
        {"resolution unit 0", {{296, 3, 1, 0}}, 4},
        {"resolution unit 4", {{296, 3, 1, 4}}, 4},
        {"resolution unit 2", {{296, 3, 1, 2}}, 0},
        {"width as RATIONAL", {{256, 5, 1, 8}}, 6},
        {"strip offsets as BYTE", {{273, 1, 1, 8}}, 6},
        {"dot range as LONG", {{336, 4, 2, 0}}, 6},
        {"two rows-per-strip values for one strip", {{278, 3, 2, 0x00030003u}}, 7},
        {"compression 8", {{259, 3, 1, 8}}, 1},
        {"photometric YCbCr", {{262, 3, 1, 6}}, 2},
    };
    for (const Case& c : cases) {
        Result r = run(rgb_file([&](TiffBuilder&, std::vector<Tag>& t) {
            for (const Tag& x : c.set)
                set_tag(t, x);
        }));
        ASSERT_FALSE(r.ifds.empty()) << c.name;
        EXPECT_EQ(r.ifds[0].status, c.status) << c.name;
        EXPECT_EQ(r.outcome, c.status ? Outcome::loadFails : Outcome::loads) << c.name;
    }
}

TEST(TiffHostile, TagsAfterABadResolutionUnitAreNotRead)
{
    Result r = run(rgb_file([](TiffBuilder&, std::vector<Tag>& t) {
        // Entries are read in file order; PlanarConfiguration follows ResolutionUnit.
        t.push_back({296, 3, 1, 0});
        t.push_back({284, 3, 1, 2});
    }));
    ASSERT_EQ(r.ifds.size(), 1u);
    EXPECT_EQ(r.ifds[0].status, 4);
    EXPECT_EQ(r.ifds[0].planar_config, 1);
}

TEST(TiffHostile, RowsPerStripStatusWithThreeStrips)
{
    TiffBuilder b;
    const auto px = rgb_pixels(4, 3);
    const uint32_t strip = b.add(px);
    const uint32_t offs = b.add32({strip, strip + 12, strip + 24});
    const uint32_t counts = b.add32({12, 12, 12});
    std::vector<Tag> t = vgtest::strip_image_tags(4, 3, 3, 2, 0, 0);
    set_tag(t, {273, 4, 3, offs});
    set_tag(t, {279, 4, 3, counts});
    set_tag(t, {278, 3, 2, 0x00010001u});
    b.ifd(t);
    Result r = run(b.b);
    ASSERT_EQ(r.ifds.size(), 1u);
    EXPECT_EQ(r.ifds[0].status, 7);
    // One value for all three strips is fine.
    set_tag(t, {278, 3, 1, 1});
    TiffBuilder ok;
    ok.add(px);
    ok.add32({strip, strip + 12, strip + 24});
    ok.add32({12, 12, 12});
    ok.ifd(t);
    Result good = run(ok.b);
    ASSERT_EQ(good.outcome, Outcome::loads);
    EXPECT_EQ(0, std::memcmp(good.image.get_bitmap(), px.data(), px.size()));
}

TEST(TiffHostile, LzwStrips)
{
    const auto px = rgb_pixels(4, 3);
    const auto lzw = vgtest::lzw_encode(px);
    auto file = [&](const std::vector<unsigned char>& data, uint32_t count) {
        TiffBuilder b;
        const uint32_t strip = b.add(data);
        b.ifd(vgtest::strip_image_tags(4, 3, 3, 2, strip, count, 5));
        return b.b;
    };
    Result good = run(file(lzw, static_cast<uint32_t>(lzw.size())));
    ASSERT_EQ(good.outcome, Outcome::loads);
    EXPECT_EQ(0, std::memcmp(good.image.get_bitmap(), px.data(), px.size()));
    // A strip that claims more bytes than the file holds.
    EXPECT_EQ(run(file(lzw, static_cast<uint32_t>(lzw.size()) + 1000)).error, -1509);
    // Too little data for the rows, a corrupt code, and too much data (cut at the rows).
    EXPECT_EQ(run(file(std::vector<unsigned char>(lzw.begin(), lzw.end() - 8), static_cast<uint32_t>(lzw.size()) - 8))
                  .error,
              -1509);
    EXPECT_EQ(run(file(vgtest::pack_codes({{256, 9}, {65, 9}, {300, 9}}), 4)).error, -1509);
    auto longer = px;
    longer.insert(longer.end(), 50, 7);
    const auto more = vgtest::lzw_encode(longer);
    Result cut = run(file(more, static_cast<uint32_t>(more.size())));
    ASSERT_EQ(cut.outcome, Outcome::loads);
    EXPECT_EQ(0, std::memcmp(cut.image.get_bitmap(), px.data(), px.size()));
}

TEST(TiffHostile, PlanarWithExtraStripsWritesInsideTheImage)
{
    // Four planes of strips for a three-sample image: the fourth is not a sample and is left.
    TiffBuilder b;
    std::vector<unsigned char> planes(4 * 12);
    for (std::size_t i = 0; i < planes.size(); ++i)
        planes[i] = static_cast<unsigned char>(i);
    const uint32_t strip = b.add(planes);
    const uint32_t offs = b.add32({strip, strip + 12, strip + 24, strip + 36});
    std::vector<Tag> t = vgtest::strip_image_tags(4, 3, 3, 2, 0, 12);
    set_tag(t, {273, 4, 4, offs});
    set_tag(t, {284, 3, 1, 2});
    b.ifd(t);
    Result r = run(b.b);
    ASSERT_EQ(r.outcome, Outcome::loads);
    for (int p = 0; p < 12; ++p)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(r.image.get_bitmap()[p * 3 + k], k * 12 + p);
}

TEST(TiffHostile, DegenerateDotRangeKeepsValues)
{
    for (uint32_t range : {0x00640064u, 0x00320064u /* high 50 below low 100 */}) {
        TiffBuilder b;
        std::vector<unsigned char> px(4 * 3 * 4);
        for (std::size_t i = 0; i < px.size(); ++i)
            px[i] = static_cast<unsigned char>(i * 5);
        const uint32_t strip = b.add(px);
        std::vector<Tag> t = vgtest::strip_image_tags(4, 3, 4, 5, strip, static_cast<uint32_t>(px.size()));
        // Two SHORT values inline: low in the first half of the field.
        set_tag(t, {336, 3, 2, range == 0x00640064u ? range : 0x00320064u});
        b.ifd(t);
        Result r = run(b.b);
        ASSERT_EQ(r.outcome, Outcome::loads);
        EXPECT_EQ(0, std::memcmp(r.image.get_bitmap(), px.data(), px.size()));
    }
}

TEST(TiffHostile, IsTIFF)
{
    auto tif = vgtest::memory_stream(rgb_file([](TiffBuilder&, std::vector<Tag>&) {}));
    tif->setPos(5, true);
    tif->setByteOrder(dxStream::bigEndian);
    EXPECT_TRUE(dxTIFF::IsTIFF(*tif));
    EXPECT_EQ(tif->getPos(), 5);
    EXPECT_EQ(tif->getByteOrder(), dxStream::bigEndian);
    auto jpeg = vgtest::memory_stream({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'});
    jpeg->setPos(3, true);
    jpeg->setByteOrder(dxStream::littleEndian);
    EXPECT_FALSE(dxTIFF::IsTIFF(*jpeg));
    EXPECT_EQ(jpeg->getPos(), 3);
    EXPECT_EQ(jpeg->getByteOrder(), dxStream::littleEndian);
    auto empty = vgtest::memory_stream({});
    EXPECT_FALSE(dxTIFF::IsTIFF(*empty));
}

TEST(TiffHostile, ByteSwapAndPredictorHelpers)
{
    unsigned char b[5] = {1, 2, 3, 4, 9};
    dxTIFF::byteorder_to_host(b, 5, 2, dxTIFF::orderMM);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[4], 9); // a trailing part shorter than a sample is left alone
    unsigned char c[4] = {1, 2, 3, 4};
    dxTIFF::byteorder_to_host(c, 4, 4, dxTIFF::orderMM);
    EXPECT_EQ(c[0], 4);
    EXPECT_EQ(c[3], 1);
    unsigned char d[4] = {1, 2, 3, 4};
    dxTIFF::byteorder_to_host(d, 4, 2, dxTIFF::orderII);
    EXPECT_EQ(d[0], 1);
    // Two rows of 3 one-sample pixels, differences wrap modulo 256.
    unsigned char p[6] = {250, 10, 1, 5, 5, 5};
    dxTIFF::predict_accumulate(p, 3, 6, 1, 1);
    EXPECT_EQ(p[1], 4);
    EXPECT_EQ(p[2], 5);
    EXPECT_EQ(p[5], 15);
    uint16_t q[4] = {65535, 2, 1, 1}; // two 2-sample pixels
    dxTIFF::predict_accumulate(reinterpret_cast<unsigned char*>(q), 2, 8, 2, 2);
    EXPECT_EQ(q[2], 0);
    EXPECT_EQ(q[3], 3);
}
