#include "image/tiff/lzw.h"

#include "lzw_codes.h"

#include <gtest/gtest.h>

#include <random>

using namespace vemora;
using vgtest::pack_codes;

namespace {

struct Result {
    bool error;
    std::vector<unsigned char> out;
};

Result run(const std::vector<unsigned char>& stream, std::size_t capacity, std::size_t limit)
{
    std::vector<unsigned char> dst(capacity, 0xEE);
    std::size_t produced = 99999;
    LZW lzw;
    try {
        lzw.decode(dst.data(), &produced, stream.data(), stream.size(), limit);
    } catch (const LZW::ErrorCode& e) {
        EXPECT_EQ(e.code, 1);
        return {true, {}};
    }
    EXPECT_LE(produced, capacity);
    for (std::size_t i = produced; i < capacity; ++i)
        EXPECT_EQ(dst[i], 0xEE) << "written past what was reported, at " << i;
    dst.resize(produced);
    return {false, dst};
}

Result run(const std::vector<unsigned char>& stream, std::size_t limit = 64)
{
    return run(stream, limit, limit);
}

using Bytes = std::vector<unsigned char>;

} // namespace

TEST(LZW, ShortSequences)
{
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, int>> codes;
        Bytes want;
    };
    const std::vector<Case> cases = {
        {"plain", {{256, 9}, {65, 9}, {66, 9}, {258, 9}, {257, 9}}, {'A', 'B', 'A', 'B'}},
        {"KwKwK", {{256, 9}, {65, 9}, {258, 9}, {257, 9}}, {'A', 'A', 'A'}},
        {"KwKwK twice", {{256, 9}, {65, 9}, {258, 9}, {259, 9}, {257, 9}}, Bytes(6, 'A')},
        {"end at once", {{256, 9}, {257, 9}}, {}},
        {"end without clear", {{257, 9}}, {}},
        {"no end of information", {{256, 9}, {65, 9}, {66, 9}, {258, 9}}, {'A', 'B', 'A', 'B'}},
        // After Clear the table is back to 258 entries: code 258 is again "the next one".
        {"clear in the middle", {{256, 9}, {65, 9}, {66, 9}, {256, 9}, {67, 9}, {258, 9}, {257, 9}},
         {'A', 'B', 'C', 'C', 'C'}},
        {"clear twice", {{256, 9}, {256, 9}, {68, 9}, {257, 9}}, {'D'}},
    };
    for (const Case& c : cases) {
        Result r = run(pack_codes(c.codes));
        EXPECT_FALSE(r.error) << c.name;
        EXPECT_EQ(r.out, c.want) << c.name;
    }
}

TEST(LZW, HostileCodes)
{
    const std::vector<std::pair<const char*, std::vector<std::pair<uint32_t, int>>>> cases = {
        {"first code is not clear", {{65, 9}, {257, 9}}},
        {"code beyond the table", {{256, 9}, {65, 9}, {260, 9}, {257, 9}}},
        {"next code right after clear", {{256, 9}, {258, 9}, {257, 9}}},
        {"next code after a mid-stream clear", {{256, 9}, {65, 9}, {66, 9}, {256, 9}, {258, 9}}},
        {"511 at 9 bits", {{256, 9}, {65, 9}, {511, 9}}},
    };
    for (const auto& [name, codes] : cases)
        EXPECT_TRUE(run(pack_codes(codes)).error) << name;
}

TEST(LZW, WidthGrowsOneCodeEarly)
{
    // 253 new entries after the first literal bring the table to 511: the next code is 10 bits.
    std::vector<std::pair<uint32_t, int>> codes = {{256, 9}};
    Bytes want;
    for (int i = 0; i < 254; ++i) {
        codes.push_back({static_cast<uint32_t>(i % 200), 9});
        want.push_back(static_cast<unsigned char>(i % 200));
    }
    // Table size is now 258 + 253 = 511.
    codes.push_back({65, 10});
    codes.push_back({257, 10});
    want.push_back(65);
    Result r = run(pack_codes(codes), 1024);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.out, want);

    // The same codes left at 9 bits are read as something else entirely.
    codes[codes.size() - 2].second = 9;
    codes.back().second = 9;
    Result wrong = run(pack_codes(codes), 1024);
    EXPECT_TRUE(wrong.error || wrong.out != want);
}

TEST(LZW, LimitCutsTheOutput)
{
    // Eleven bytes, A B AB ABA ABAA, cut at ten.
    std::vector<std::pair<uint32_t, int>> codes = {{256, 9}, {65, 9}, {66, 9}, {258, 9}, {260, 9}, {261, 9}, {257, 9}};
    Result whole = run(pack_codes(codes), 64);
    ASSERT_FALSE(whole.error);
    ASSERT_EQ(whole.out.size(), 11u);
    Result cut = run(pack_codes(codes), 64, 10);
    ASSERT_FALSE(cut.error);
    EXPECT_EQ(cut.out, Bytes(whole.out.begin(), whole.out.begin() + 10));
}

TEST(LZW, RoundTripsEncodedData)
{
    std::mt19937 rng(7);
    for (std::size_t n : {1u, 100u, 5000u, 70000u}) {
        for (int kind = 0; kind < 3; ++kind) {
            Bytes data(n);
            for (auto& b : data)
                b = static_cast<unsigned char>(kind == 0 ? rng() : kind == 1 ? rng() % 4 : 0);
            const Bytes stream = vgtest::lzw_encode(data);
            Result r = run(stream, n);
            ASSERT_FALSE(r.error) << n << " " << kind;
            ASSERT_EQ(r.out, data) << n << " " << kind;
        }
    }
}

TEST(LZW, TruncatedStreamsReportWhatWasDecoded)
{
    Bytes data(4000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>((i * 7) ^ (i >> 3));
    const Bytes stream = vgtest::lzw_encode(data);
    for (std::size_t cut = 0; cut < stream.size(); cut += 37) {
        Result r = run(Bytes(stream.begin(), stream.begin() + cut), data.size());
        ASSERT_FALSE(r.error) << cut;
        ASSERT_LE(r.out.size(), data.size());
        EXPECT_TRUE(std::equal(r.out.begin(), r.out.end(), data.begin())) << cut;
    }
}

TEST(LZW, TableCannotGrowWithoutBound)
{
    // KwKwK without Clear makes every new string one byte longer; past the table's limit the
    // stream is refused instead of growing the pool quadratically.
    std::vector<std::pair<uint32_t, int>> codes = {{256, 9}, {65, 9}};
    uint32_t next = 258;
    int width = 9;
    for (int i = 0; i < 6000; ++i) {
        uint32_t code = std::min<uint32_t>(next, 4095);
        codes.push_back({code, width});
        ++next;
        if (next >= (1u << width) - 1 && width < 12)
            ++width;
    }
    Result r = run(pack_codes(codes), 32u << 20, 0);
    EXPECT_TRUE(r.error);
}

TEST(LZW, RandomBytesNeverOverrun)
{
    std::mt19937 rng(11);
    for (int t = 0; t < 300; ++t) {
        Bytes s(1 + rng() % 600);
        for (auto& b : s)
            b = static_cast<unsigned char>(rng());
        if (t % 2)
            s[0] = 0x80; // starts with Clear
        run(s, 256);
    }
}
