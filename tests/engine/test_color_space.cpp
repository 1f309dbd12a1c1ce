#include "engine/clut_profile.h"
#include "engine/color_space.h"
#include "engine/matrix_profile.h"
#include "icc/profile.h"

#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

std::string resource(const char* name)
{
    return std::string(VERIGLOW_SOURCE_DIR) + "/resources/profiles/" + name;
}

ICCProfile readFile(const std::string& path)
{
    FSRef ref;
    EXPECT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path)) << path;
    dxStream s;
    EXPECT_TRUE(s.open(FileLocation(ref), dxStream::readPermission, false));
    ICCProfile p;
    p.read(s);
    return p;
}

class ColorSpaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        allocatePow0p33Table();
        srgbFile = new ICCProfile(readFile(resource("Veriglow sRGB.icc")));
        cmykFile = new ICCProfile(readFile(resource("Veriglow Coated FOGRA39.icc")));
    }
    static void TearDownTestSuite()
    {
        delete srgbFile;
        delete cmykFile;
    }
    static ColorSpace::Element use(const ICCProfile& p, Intent intent)
    {
        ColorSpace::Element e;
        e.first = getProcessProfile(p);
        e.second.intent = intent;
        return e;
    }
    static inline ICCProfile* srgbFile = nullptr;
    static inline ICCProfile* cmykFile = nullptr;
};

TEST_F(ColorSpaceTest, ProfileKindsAndChannelCounts)
{
    EXPECT_NE(dynamic_cast<MatrixProfile*>(getProcessProfile(*srgbFile).get()), nullptr);
    EXPECT_NE(dynamic_cast<CLUTProfile*>(getProcessProfile(*cmykFile).get()), nullptr);
    ProfileBuilder gray;
    gray.colorSpace = "GRAY";
    gray.add("kTRC", gammaCurve(2.2));
    EXPECT_TRUE(getProcessProfile(parseProfile(gray.build())).isNull()) << "gray profiles are not usable";
    EXPECT_EQ(getColorModeChannelCount(colorModeGray), 1);
    EXPECT_EQ(getColorModeChannelCount(colorModeCMYK), 4);
    EXPECT_EQ(getColorModeChannelCount(static_cast<ColorMode>(134)), 6);
    EXPECT_EQ(getColorModeChannelCount(static_cast<ColorMode>(255)), 0);
}

TEST_F(ColorSpaceTest, ChainsConnectOrAreRefused)
{
    ColorSpace link;
    ColorSpace::Chain empty;
    EXPECT_FALSE(link.setup(empty, colorModeRGB, true, 4));
    ColorSpace::Chain cmykOnly{use(*cmykFile, 1)};
    EXPECT_FALSE(link.setup(cmykOnly, colorModeRGB, true, 4)) << "RGB meets neither side of a CMYK profile";
    EXPECT_FALSE(link.isReady());
    VCEColor c = color(kRGBSpace, {1, 2, 3});
    link.match(&c);
    EXPECT_EQ(c.channel[0], 1) << "a link without a table leaves colours alone";

    ColorSpace::Chain toPress{use(*srgbFile, 1), use(*cmykFile, 1)};
    ASSERT_TRUE(link.setup(toPress, colorModeRGB, true, 4));
    EXPECT_EQ(link.outputChannels, 4);
    EXPECT_EQ(link.outputMode, colorModeCMYK);
    EXPECT_EQ(link.table.size(), 4913u * 4 * 2);

    // Lab through the same printer twice ends in its PCS, reported as Lab with toLab.
    ColorSpace::Chain labTwice{use(*cmykFile, 1), use(*cmykFile, 1)};
    ASSERT_TRUE(link.setup(labTwice, colorModeLab, true, 5));
    EXPECT_EQ(link.outputMode, colorModeLab);
    EXPECT_EQ(link.gridPoints[0], 33);
}

TEST_F(ColorSpaceTest, SampledNodesSitOnTheGridPositions)
{
    // sRGB there and back is nearly the identity: each node holds about its own position.
    ColorSpace::Chain roundTrip{use(*srgbFile, 1), use(*srgbFile, 1)};
    ColorSpace link;
    ASSERT_TRUE(link.setup(roundTrip, colorModeRGB, true, 4));
    EXPECT_EQ(link.outputMode, colorModeRGB);
    const auto* t = reinterpret_cast<const uint16_t*>(link.table.data());
    auto node = [&](int i0, int i1, int i2, int o) { return t[((i0 * 17 + i1) * 17 + i2) * 3 + o]; };
    EXPECT_NEAR(node(16, 16, 16, 0), 65535, 40);
    EXPECT_NEAR(node(8, 0, 0, 0), 32768, 80);
    EXPECT_NEAR(node(8, 0, 0, 1), 0, 80);
    // And match interpolates it: any colour comes back close to itself.
    for (int v : {0, 5000, 30000, 65535}) {
        VCEColor c = color(kRGBSpace, {v, 65535 - v, v / 2});
        link.match(&c);
        EXPECT_NEAR(c.channel[0], v, 200);
        EXPECT_NEAR(c.channel[1], 65535 - v, 200);
        EXPECT_EQ(c.colorSpace, kRGBSpace) << "the unrolled members keep the space code";
    }
}

TEST_F(ColorSpaceTest, SequenceColoursKeepEveryStep)
{
    ColorSpace::Chain proof{use(*srgbFile, 1), use(*cmykFile, 1), use(*cmykFile, 1)};
    std::vector<VCEColor> steps;
    VCEColor c = color(kRGBSpace, {65535, 0, 0});
    ColorSpace::get_sequence_color(&steps, &c, proof);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].colorSpace, kXYZSpace);
    EXPECT_EQ(steps[1].colorSpace, kDevcSpace);
    EXPECT_EQ(steps[2].colorSpace, kLabSpace);
    EXPECT_EQ(0, memcmp(&steps[2], &c, sizeof c));
    // Press red: magenta and yellow high, cyan low.
    EXPECT_LT(steps[1].channel[0], 10000);
    EXPECT_GT(steps[1].channel[1], 50000);
    EXPECT_GT(steps[1].channel[2], 50000);
}

TEST(BlackPointClip, CompensationHoldsYBelowThreePointFive)
{
    BlackPointCompensation bpc;
    bpc.factor.m[0] = bpc.factor.m[4] = bpc.factor.m[8] = 4 * 65536;
    VCEColor c = color(kXYZSpace, {65536, 65536, -65536});
    bpc.apply(&c);
    EXPECT_EQ(c.channel[1], 229376);
    EXPECT_EQ(c.channel[2], -32768);
}

} // namespace
