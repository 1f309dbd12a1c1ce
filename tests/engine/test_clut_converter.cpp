#include "engine/clut_converter.h"
#include "icc/profile.h"

#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemora::cms::vemICC::nsp_VCE;
using icctest::Bytes;
using icctest::ByteVec;
using icctest::ProfileBuilder;
using namespace enginetest;

namespace {

class Converter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { allocatePow0p33Table(); }
};

TEST_F(Converter, LinearTablesAndIdentityMatrixRunOnlyTheTable)
{
    auto l = load("RGB ", "Lab ", "A2B0", lut(false, 3, 3, nullptr, cornerValue));
    const CLUTConverter& c = l->conv;
    EXPECT_TRUE(c.hasCLUT);
    EXPECT_FALSE(c.hasA);
    EXPECT_FALSE(c.hasB);
    EXPECT_FALSE(c.hasMatrix);
    EXPECT_EQ(c.inMode, CLUTConverter::finalDevice);
    EXPECT_EQ(c.outMode, CLUTConverter::finalLabV2);
    EXPECT_EQ(c.interpolator.modeCode, 103);
    // 65535 + 1 lands exactly on the last node.
    VCEColor v = color(kRGBSpace, {65535, 0, 65535});
    c.matchA2B(&v);
    EXPECT_EQ(v.colorSpace, kLabSpace);
    EXPECT_EQ(v.channel[0], 65535) << "version 2 L 65535 widened and clipped";
    EXPECT_EQ(v.channel[1], 0);
    EXPECT_EQ(v.channel[2], 65535) << "version 2 a and b are the engine scale already";
}

TEST_F(Converter, Lut8LabOutputIsWidenedOntoTheVersion2Scale)
{
    auto l = load("RGB ", "Lab ", "A2B0", lut(true, 3, 3, nullptr, [](uint32_t, int o) -> uint16_t {
                      return o == 0 ? 0xFF00 : 0x8000;
                  }));
    EXPECT_EQ(l->conv.grid[0] | (l->conv.grid[1] << 8), 65280) << "255 × 256";
    VCEColor v = color(kRGBSpace, {1000, 2000, 3000});
    l->conv.matchA2B(&v);
    EXPECT_EQ(v.channel[0], 65535) << "65280 is L* = 100 in the version 2 encoding";
    EXPECT_EQ(v.channel[1], 32768);
}

TEST_F(Converter, Lut8LabInputEntersAtTheVersion2White)
{
    // B2A0 from Lab: the device output of this table is its L input, so L = 65535 (engine)
    // shows how it entered: v4_to_v2 gives 65280, the table maps 65281 / 65536 of the way.
    auto l = load("RGB ", "Lab ", "B2A0", lut(false, 3, 3, nullptr, cornerValue));
    EXPECT_EQ(l->conv.inMode, CLUTConverter::finalLabV2);
    VCEColor v = color(kLabSpace, {65535, 32768, 32768});
    l->conv.matchB2A(&v);
    EXPECT_EQ(v.colorSpace, kDevcSpace);
    EXPECT_EQ(v.channel[0], static_cast<int32_t>((65281ull * 65535) >> 16));
}

TEST_F(Converter, MatrixRunsOnlyForXYZInputInVersion2Tables)
{
    const double half[9] = {0.5, 0, 0, 0, 0.5, 0, 0, 0, 0.5};
    auto xyz = load("RGB ", "XYZ ", "B2A0", lut(false, 3, 3, half, cornerValue));
    EXPECT_TRUE(xyz->conv.hasMatrix);
    VCEColor v = color(kXYZSpace, {65536, 65536, 65536}); // 1.0 → 32768 entering, then halved
    xyz->conv.matchB2A(&v);
    EXPECT_NEAR(v.channel[0], 16384, 2);
    // XYZ of 2.0 enters the table clipped at 65535.
    VCEColor big = color(kXYZSpace, {131072, 0, 0});
    auto plain = load("RGB ", "XYZ ", "B2A0", lut(false, 3, 3, nullptr, cornerValue));
    plain->conv.matchB2A(&big);
    EXPECT_EQ(big.channel[0], 65535);
    // A Lab-based table ignores its matrix.
    auto lab = load("RGB ", "Lab ", "B2A0", lut(false, 3, 3, half, cornerValue));
    VCEColor w = color(kLabSpace, {0, 32768, 32768});
    lab->conv.matchB2A(&w);
    EXPECT_EQ(w.channel[0], 0);
}

// 'mAB ' with only B curves, or only an identity matrix with an offset.
ByteVec mAB(const ByteVec& bCurves, int channels, const ByteVec* matrix)
{
    Bytes e = Bytes::element("mAB ");
    e.u8(channels).u8(channels).u16(0);
    const std::size_t headerSize = 32;
    const std::size_t bOffset = headerSize;
    const std::size_t mOffset = matrix ? bOffset + bCurves.size() : 0;
    e.u32(bOffset).u32(mOffset).u32(0).u32(0).u32(0);
    e.raw(bCurves);
    if (matrix)
        e.raw(*matrix);
    return e.b;
}

TEST_F(Converter, ABTagWithOnlyBCurvesRunsThemAlone)
{
    ByteVec curves;
    for (int i = 0; i < 3; ++i) {
        const ByteVec g = gammaCurve(2.0);
        curves.insert(curves.end(), g.begin(), g.end());
    }
    auto l = load("RGB ", "XYZ ", "A2B0", mAB(curves, 3, nullptr));
    const CLUTConverter& c = l->conv;
    EXPECT_TRUE(c.hasB);
    EXPECT_FALSE(c.hasA || c.hasM || c.hasCLUT || c.hasMatrix);
    EXPECT_EQ(c.lutVersion, iccV4);
    VCEColor v = color(kRGBSpace, {32768, 65535, 0});
    c.matchA2B(&v);
    EXPECT_EQ(v.colorSpace, kXYZSpace);
    EXPECT_EQ(v.channel[0], static_cast<int32_t>(c.curvesB[0].table[32768 >> 4] << 1));
    EXPECT_EQ(v.channel[1], 65535 << 1);
    EXPECT_EQ(v.channel[2], 0);
}

TEST_F(Converter, IdentityMatrixWithAnOffsetStillRuns)
{
    ByteVec curves;
    for (int i = 0; i < 3; ++i) {
        const ByteVec g = gammaCurve(1.0);
        curves.insert(curves.end(), g.begin(), g.end());
    }
    Bytes m;
    for (double v : {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 0.25, 0.0, 0.0})
        m.s15(v);
    auto l = load("RGB ", "XYZ ", "A2B0", mAB(curves, 3, &m.b));
    EXPECT_TRUE(l->conv.hasMatrix);
    VCEColor v = color(kRGBSpace, {0, 0, 0});
    l->conv.matchA2B(&v);
    EXPECT_EQ(v.channel[0], 16384 << 1);
}

TEST_F(Converter, TagsThatAreNoLutsFail)
{
    ProfileBuilder b;
    b.add("A2B0", Bytes::element("XYZ ").s15(1).s15(1).s15(1).b);
    b.add("wtpt", lut(false, 3, 3, nullptr, cornerValue));
    dxStream s = icctest::streamOf(b.build());
    ICCProfile p;
    p.read(s);
    CLUTConverter c;
    try {
        c.setup(p.getTagById(Signature(icctest::fourcc("A2B0"))));
        ADD_FAILURE();
    } catch (const CLUTConverter::Exception& e) {
        EXPECT_EQ(e.code, CLUTConverter::notALut);
    }
    try {
        c.setup(p.getTagById(Signature(icctest::fourcc("wtpt"))));
        ADD_FAILURE();
    } catch (const CLUTConverter::Exception& e) {
        EXPECT_EQ(e.code, CLUTConverter::notALutTag);
    }
    EXPECT_FALSE(c.ready);
    try {
        c.setup(nullptr);
        ADD_FAILURE();
    } catch (const CLUTConverter::Exception& e) {
        EXPECT_EQ(e.code, CLUTConverter::noType);
    }
}

} // namespace
