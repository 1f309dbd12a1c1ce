#include "engine/clut_interpolator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace vemora;
using vemora::cms::CLUTInterpolator;
using vemora::cms::vemICC::nsp_VCE::VCEColor;

namespace {

// A grid whose value o at node k is f(k, o), 16-bit.
struct Grid {
    std::vector<uint16_t> values;
    CLUTInterpolator interp;
    Grid(std::vector<long> points, int outputs, uint16_t (*f)(uint32_t node, int o))
    {
        uint32_t nodes = 1;
        for (long p : points)
            nodes *= static_cast<uint32_t>(p);
        values.resize(nodes * outputs);
        for (uint32_t k = 0; k < nodes; ++k)
            for (int o = 0; o < outputs; ++o)
                values[k * outputs + o] = f(k, o);
        EXPECT_TRUE(interp.setup(reinterpret_cast<const unsigned char*>(values.data()), static_cast<long>(points.size()),
                                 outputs, 2, points.data()));
    }
};

VCEColor input(std::initializer_list<int> ch)
{
    VCEColor c{};
    c.colorSpace = 0x52474220;
    int i = 0;
    for (int v : ch)
        c.channel[i++] = v;
    return c;
}

// Reference: the same steps written the plain way, with floor division in 64 bits.
int64_t refStep(int64_t u, int64_t w, int64_t f)
{
    const int64_t num = f * (w - u);
    return u + (num >= 0 ? num / 65536 : -((-num + 65535) / 65536));
}

TEST(GridSetup, StridesNodeCountAndModeCode)
{
    Grid g({17, 9, 5}, 3, [](uint32_t, int) -> uint16_t { return 0; });
    EXPECT_EQ(g.interp.pointer.strides, (std::vector<uint32_t>{45, 5}));
    EXPECT_EQ(g.interp.pointer.nodeCount, 17u * 45u);
    EXPECT_EQ(g.interp.gather.maxIndex, (std::vector<uint32_t>{16, 8, 4}));
    EXPECT_EQ(g.interp.modeCode, 103);
    EXPECT_EQ(g.interp.vertexCount, 8);
    Grid one({33}, 2, [](uint32_t, int) -> uint16_t { return 0; });
    EXPECT_EQ(one.interp.pointer.nodeCount, 33u);
    CLUTInterpolator bad;
    const long pts[2] = {1, 5};
    EXPECT_FALSE(bad.setup(nullptr, 2, 3, 2, pts)) << "an axis of one point cannot interpolate";
    EXPECT_FALSE(bad.setup(nullptr, 16, 3, 2, pts));
}

TEST(Interpolation, CornersAndTopEdgeOfATwoPointGrid)
{
    Grid g({2, 2, 2}, 3, [](uint32_t k, int) -> uint16_t { return static_cast<uint16_t>(k * 1000); });
    VCEColor out = input({0, 0, 0});
    g.interp.interpo33c2b(&out, input({0, 0, 0}));
    EXPECT_EQ(out.channel[0], 0);
    g.interp.interpo33c2b(&out, input({65536, 65536, 65536}));
    EXPECT_EQ(out.channel[0], 7000) << "65536 lands exactly on the last node";
    // Each of the three steps truncates once: at most three units below the last node.
    g.interp.interpo33c2b(&out, input({65535, 65535, 65535}));
    EXPECT_EQ(out.channel[0], 6997);
    EXPECT_LE(out.channel[0], 7000);
    // Node (1,0,0) has index 4: the first input varies slowest.
    g.interp.interpo33c2b(&out, input({65536, 0, 0}));
    EXPECT_EQ(out.channel[1], 4000);
    g.interp.interpo33c2b(&out, input({0, 0, 65536}));
    EXPECT_EQ(out.channel[2], 1000);
}

TEST(Interpolation, SeventeenPointAxisAndDecreasingValues)
{
    Grid g({17, 17, 17}, 3, [](uint32_t k, int o) -> uint16_t {
        const uint32_t i0 = k / 289;
        return static_cast<uint16_t>(o == 0 ? i0 * 100 : 5000 - (k % 17) * 50);
    });
    VCEColor out{};
    g.interp.interpo33c2b(&out, input({4096, 0, 0}));
    EXPECT_EQ(out.channel[0], 100) << "4096 lies exactly on node 1";
    // Between nodes 0 and 1 of the last axis, values fall from 5000 to 4950: halfway is 4975.
    g.interp.interpo33c2b(&out, input({0, 0, 2048}));
    EXPECT_EQ(out.channel[1], 4975);
    // The modular step on falling values: u = 100, w = 50, f = 1/2 gives 75.
    Grid two({2}, 1, [](uint32_t k, int) -> uint16_t { return k ? 50 : 100; });
    VCEColor o1{};
    two.interp.interpoN(&o1, input({32768}));
    EXPECT_EQ(o1.channel[0], 75);
}

TEST(Interpolation, UnrolledMembersKeepTheRestOfTheRecord)
{
    Grid g({5, 5, 5}, 3, [](uint32_t k, int o) -> uint16_t { return static_cast<uint16_t>(k * 97 + o); });
    VCEColor out = input({1, 2, 3, 4});
    out.colorSpace = 0x44455643;
    out.channel[3] = 777;
    g.interp.interpolate(&out, input({30000, 40000, 50000}));
    EXPECT_EQ(out.colorSpace, 0x44455643u);
    EXPECT_EQ(out.channel[3], 777);
}

// Every unrolled member agrees with interpoN and with a plain reference over random inputs.
TEST(Interpolation, UnrolledMembersMatchTheGeneralMemberAndTheReference)
{
    std::mt19937 rng(7);
    for (int n : {3, 4})
        for (int outs : {3, 4}) {
            std::vector<long> pts(n, n == 3 ? 17 : 9);
            pts[1] = 6;
            static std::mt19937 valueRng(3);
            Grid g(pts, outs, [](uint32_t, int) -> uint16_t { return static_cast<uint16_t>(valueRng()); });
            ASSERT_EQ(g.interp.modeCode, n * 32 + outs * 2 + 1);
            for (int trial = 0; trial < 2000; ++trial) {
                VCEColor in{};
                for (int k = 0; k < n; ++k)
                    in.channel[k] = static_cast<int>(rng() % 65537);
                VCEColor fast{}, general{};
                g.interp.interpolate(&fast, in);
                g.interp.interpoN(&general, in);
                // Reference.
                int64_t ref[4] = {};
                const int corners = 1 << n;
                for (int o = 0; o < outs; ++o) {
                    std::vector<int64_t> level(corners);
                    std::vector<uint32_t> lo(n), hi(n), f(n);
                    for (int k = 0; k < n; ++k) {
                        const uint32_t p = static_cast<uint32_t>(pts[k] - 1) * static_cast<uint32_t>(in.channel[k]);
                        lo[k] = p >> 16;
                        hi[k] = lo[k] + 1 > static_cast<uint32_t>(pts[k] - 1) ? lo[k] : lo[k] + 1;
                        f[k] = p & 0xFFFF;
                    }
                    for (int j = 0; j < corners; ++j) {
                        uint32_t node = 0;
                        for (int k = 0; k < n; ++k)
                            node = node * static_cast<uint32_t>(pts[k]) + (((j >> (n - 1 - k)) & 1) ? hi[k] : lo[k]);
                        level[j] = g.values[node * outs + o];
                    }
                    for (int k = n - 1; k >= 0; --k) {
                        const int half = 1 << k;
                        for (int t = 0; t < half; ++t)
                            level[t] = refStep(level[2 * t], level[2 * t + 1], f[k]);
                    }
                    ref[o] = level[0];
                }
                for (int o = 0; o < outs; ++o) {
                    ASSERT_EQ(fast.channel[o], general.channel[o]) << n << "x" << outs << " trial " << trial;
                    ASSERT_EQ(fast.channel[o], ref[o]) << n << "x" << outs << " trial " << trial;
                }
            }
        }
}

TEST(Interpolation, GeneralMemberOverFiveInputsAndOneByteGrids)
{
    Grid g({3, 3, 3, 3, 3}, 1, [](uint32_t k, int) -> uint16_t { return static_cast<uint16_t>(k * 200); });
    EXPECT_EQ(g.interp.vertexCount, 32);
    VCEColor out = input({0, 0, 0, 0, 0});
    out.colorSpace = 0x4C616220;
    g.interp.interpolate(&out, input({65536, 0, 32768, 0, 65536}));
    // node (2,0,1,0,2) = 2*81 + 1*9 + 2 = 173
    EXPECT_EQ(out.channel[0], 173 * 200);
    EXPECT_EQ(out.colorSpace, 0u) << "the general member copies its scratch record whole";

    std::vector<uint8_t> bytes = {0, 255, 10, 20, 30, 40, 50, 60};
    CLUTInterpolator b;
    const long pts[3] = {2, 2, 2};
    ASSERT_TRUE(b.setup(bytes.data(), 3, 1, 1, pts));
    VCEColor o{};
    b.interpoN(&o, input({0, 0, 32768}));
    EXPECT_EQ(o.channel[0], 127);
}

TEST(Interpolation, InputsOutsideTheRangeStayOnTheGrid)
{
    Grid g({2, 2, 2}, 3, [](uint32_t k, int) -> uint16_t { return static_cast<uint16_t>(k * 1000); });
    VCEColor out{};
    g.interp.interpolate(&out, input({-5, 1 << 30, 70000}));
    EXPECT_EQ(out.channel[0], 3000) << "clamped to node (0,1,1)";
}

} // namespace
