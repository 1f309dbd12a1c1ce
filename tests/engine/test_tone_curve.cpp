#include "engine/tone_curve.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vemora;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

TRCurve curve(int bits)
{
    TRCurve c;
    c.prepare(bits);
    return c;
}

TEST(PointTableRules, InsertKeepsOrderAndDropsEqualX)
{
    PointTable<dxPoint> t;
    EXPECT_EQ(t.insert(dxPoint(0.5, 1)), 0);
    EXPECT_EQ(t.insert(dxPoint(0.2, 2)), 0);
    EXPECT_EQ(t.insert(dxPoint(0.5, 3)), -1);
    EXPECT_EQ(t.insert(dxPoint(0.9, 4)), 2);
    dxPoint lo, hi;
    t.getRange(0.0, lo, hi);
    EXPECT_EQ(lo.x, 0.2);
    EXPECT_EQ(hi.x, 0.5);
    t.getRange(0.95, lo, hi);
    EXPECT_EQ(lo.x, 0.5);
    EXPECT_EQ(hi.x, 0.9);
    t.getRange(0.5, lo, hi);
    EXPECT_EQ(lo.x, 0.2) << "x on a point: the segment ending there";
    EXPECT_EQ(hi.y, 1);
    EXPECT_EQ(Linear_Interpo(0.25, 2, 6), 3);
}

TEST(ToneCurves, GammaTablesAndTheirInverse)
{
    TRCurve f = curve(12), inv = curve(12);
    getTRCurveByGamma(&f, &inv, 1.0);
    for (int i : {0, 1, 2047, 4095})
        EXPECT_EQ(f.table[i], static_cast<uint32_t>(std::lround(i * 65535.0 / 4095))) << i;
    EXPECT_EQ(f.table, inv.table);
    TRCurve g = curve(15), gi = curve(15);
    getTRCurveByGamma(&g, &gi, 2.2);
    EXPECT_EQ(g.table[16384], static_cast<uint32_t>(std::pow(16384 / 32767.0, 2.2) * 65535 + 0.5));
    EXPECT_EQ(gi.table[16384], static_cast<uint32_t>(std::pow(16384 / 32767.0, 1 / 2.2) * 65535 + 0.5));
    EXPECT_EQ(g.apply(65535), 65535u);
    // A hostile exponent must not reach an undefined conversion.
    getTRCurveByGamma(&g, nullptr, -3.0);
    EXPECT_EQ(g.table[0], 65535u);
    getTRCurveByGamma(&g, nullptr, std::nan(""));
    EXPECT_EQ(g.table[5], 0u);
}

TEST(ToneCurves, TwoPointIdentityAndDecreasingTables)
{
    TRCurve f = curve(12), inv = curve(12);
    getTRCurveBySamples(&f, &inv, {0.0, 1.0}, 0.0, 1.0);
    EXPECT_EQ(f.table[1000], static_cast<uint32_t>(1000 * 65535.0 / 4095 + 0.5));
    EXPECT_EQ(f.table, inv.table);
    // A falling curve is cut at its first point, where it already reached 1.0.
    getTRCurveBySamples(&f, &inv, {1.0, 0.0}, 0.0, 1.0);
    for (int i : {0, 2000, 4095}) {
        EXPECT_EQ(f.table[i], 65535u);
        EXPECT_EQ(inv.table[i], 0u);
    }
    // Without an inverse the forward table follows the samples as they are.
    getTRCurveBySamples(&f, nullptr, {1.0, 0.0}, 0.0, 1.0);
    EXPECT_EQ(f.table[4095], 0u);
}

TEST(ToneCurves, CurveReachingOneEarlyHasAShortInverse)
{
    TRCurve f, inv;
    f.prepare(4); // 16 samples
    inv.prepare(12);
    ASSERT_TRUE(getTRCurveByParameterCurve(&f, &inv, 1, {1.0, 2.0, 0.0}));
    EXPECT_EQ(f.table[4], static_cast<uint32_t>(8.0 / 15 * 65535 + 0.5));
    for (int i = 8; i < 16; ++i)
        EXPECT_EQ(f.table[i], 65535u) << i;
    EXPECT_EQ(inv.table[4095], 34952u) << "the inverse ends where 1.0 was first reached";
}

TEST(ToneCurves, OffsetAtZeroMapsLowValuesToZero)
{
    TRCurve f = curve(12), inv = curve(12);
    ASSERT_TRUE(getTRCurveByParameterCurve(&f, &inv, 2, {1.0, 1.0, 0.0, 0.1}));
    EXPECT_EQ(f.table[0], static_cast<uint32_t>(0.1 * 65535 + 0.5));
    for (int i = 0; i < 409; ++i)
        ASSERT_EQ(inv.table[i], 0u) << i;
    EXPECT_GT(inv.table[420], 0u);
}

TEST(ToneCurves, SrgbParametricCurveMatchesItsFormula)
{
    const std::vector<double> p = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    TRCurve f = curve(15), inv = curve(15);
    ASSERT_TRUE(getTRCurveByParameterCurve(&f, &inv, 3, p));
    auto srgb = [](double x) { return x < 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4); };
    for (int k : {0, 100, 1325, 16000, 32767})
        EXPECT_NEAR(f.table[k], srgb(k / 32767.0) * 65535, 1.0) << k;
    // The inverse undoes the forward curve up to one step of its 15-bit index times the
    // inverse's slope: steep in the shadows, gentle in the light tones.
    for (int v = 2000; v < 65536; v += 997) {
        const uint32_t there = f.apply(static_cast<uint32_t>(v));
        EXPECT_NEAR(static_cast<double>(inv.apply(there)), v, v < 16384 ? 30.0 : 6.0) << v;
    }
}

TEST(ToneCurves, WrongParameterCountLeavesTheTables)
{
    TRCurve f = curve(12), inv = curve(12);
    EXPECT_FALSE(getTRCurveByParameterCurve(&f, &inv, 3, {2.2, 1.0}));
    EXPECT_FALSE(getTRCurveByParameterCurve(&f, &inv, 5, {2.2}));
    EXPECT_FALSE(getTRCurveByParameterCurve(&f, &inv, -1, {2.2}));
    EXPECT_EQ(f.table, std::vector<uint32_t>(4096, 0));
    EXPECT_EQ(inv.table, std::vector<uint32_t>(4096, 0));
}

} // namespace
