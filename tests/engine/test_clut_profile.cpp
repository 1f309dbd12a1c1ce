#include "engine/black_point.h"
#include "engine/clut_profile.h"
#include "engine/matrix_profile.h"

#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace enginetest;

namespace {

// A CMYK-less printer stand-in: RGB device, Lab PCS, each intent's table marked by a constant
// output so the test can tell which table ran.
ByteVec constantLut(const char* tagKind, uint16_t mark)
{
    static uint16_t current;
    current = mark;
    (void)tagKind;
    return lut(false, 3, 3, nullptr, [](uint32_t, int o) -> uint16_t { return o == 0 ? current : 32768; });
}

struct Printer {
    ICCProfile profile;
    CLUTProfile engine;
};

std::unique_ptr<Printer> printer(std::initializer_list<std::pair<const char*, uint16_t>> tags,
                                 const double* white = nullptr, const char* profileClass = "prtr")
{
    ProfileBuilder b;
    b.profileClass = profileClass;
    b.colorSpace = "RGB ";
    b.pcs = "Lab ";
    b.intent = 0;
    for (const auto& [tag, mark] : tags)
        b.add(tag, constantLut(tag, mark));
    if (white)
        b.add("wtpt", xyzElement(white[0], white[1], white[2]));
    auto p = std::make_unique<Printer>();
    p->profile = parseProfile(b.build());
    p->engine.setProfile(p->profile);
    return p;
}

int32_t markOf(CLUTProfile& e, Intent intent, bool pcsIn)
{
    e.setIntent(intent);
    VCEColor c = pcsIn ? color(kLabSpace, {30000, 32768, 32768}) : color(kRGBSpace, {1000, 2000, 3000});
    e.match(&c);
    return c.channel[0];
}

class CLUTProfileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { allocatePow0p33Table(); }
};

TEST_F(CLUTProfileTest, MissingIntentsBorrowTheTablesPresent)
{
    auto onlyRelative = printer({{"A2B1", 20000}, {"B2A1", 21000}});
    for (Intent i : {0ul, 1ul, 2ul}) {
        EXPECT_EQ(v2_to_v4(20000), markOf(onlyRelative->engine, i, false)) << i;
        EXPECT_EQ(21000, markOf(onlyRelative->engine, i, true)) << i;
    }
    auto noRelative = printer({{"A2B0", 10000}, {"A2B2", 30000}});
    EXPECT_EQ(v2_to_v4(10000), markOf(noRelative->engine, 1, false)) << "intent 1 takes the perceptual table";
    EXPECT_EQ(v2_to_v4(30000), markOf(noRelative->engine, 2, false));
    // An unknown intent keeps the previous pair.
    EXPECT_EQ(v2_to_v4(30000), markOf(noRelative->engine, 5, false));
    // Without BToA a PCS colour goes through the AToB table as device values.
    EXPECT_EQ(v2_to_v4(10000), markOf(noRelative->engine, 0, true));
    EXPECT_EQ(noRelative->engine.getInputAccept(), 1);
    EXPECT_EQ(noRelative->engine.getOutputAccept(), 2);
    EXPECT_EQ(onlyRelative->engine.getInputAccept(), 3);
    EXPECT_EQ(onlyRelative->engine.getAChannel(), 3);
}

TEST_F(CLUTProfileTest, NoUsableTagIsCodeSix)
{
    ProfileBuilder b;
    b.add("A2B0", xyzElement(1, 1, 1)); // not a LUT: counts as absent
    ICCProfile p = parseProfile(b.build());
    CLUTProfile e;
    testing::internal::CaptureStdout();
    try {
        e.setProfile(p);
        FAIL();
    } catch (const BaseProfile::Exception& x) {
        EXPECT_EQ(x.code, 6);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "BaseProfile exception: 6\n");
}

TEST_F(CLUTProfileTest, AbsoluteIntentScalesByTheMediaWhite)
{
    const double d50[3] = {0.9642, 1.0, 0.8249};
    auto same = printer({{"A2B1", 50000}, {"B2A1", 21000}}, d50);
    EXPECT_EQ(same->engine.scale()[0], 65536);
    EXPECT_EQ(same->engine.scale()[2], 65536);
    // The relative result converted to XYZ.
    same->engine.setIntent(1);
    VCEColor rel = color(kRGBSpace, {1, 2, 3});
    same->engine.match(&rel);
    VCELab_to_VCEXYZ(rel, &rel);
    same->engine.setIntent(3);
    VCEColor abs = color(kRGBSpace, {1, 2, 3});
    same->engine.match(&abs);
    EXPECT_EQ(abs.colorSpace, kXYZSpace);
    EXPECT_EQ(abs.channel[1], rel.channel[1]);

    const double paper[3] = {0.9, 0.95, 0.8};
    auto p = printer({{"A2B1", 65535}, {"B2A1", 21000}}, paper);
    p->engine.setIntent(3);
    VCEColor white = color(kRGBSpace, {0, 0, 0}); // the table's L is 65535: device white
    p->engine.match(&white);
    EXPECT_NEAR(white.channel[1] / 65536.0, 0.95, 0.002);
    EXPECT_EQ(p->engine.inverseScale()[1], static_cast<int32_t>(65536.0 / (0.95 / 1.0)));
    // A version 2 display profile is relative to D50 whatever white it names.
    auto display = printer({{"A2B1", 65535}, {"B2A1", 21000}}, paper, "mntr");
    EXPECT_EQ(display->engine.scale()[0], 65536);
    EXPECT_EQ(display->engine.scale()[1], 65536);
}

TEST(BlackPoint, IdentityAndTheKnownLStar20Factors)
{
    BlackPointCompensation same;
    const double zero[3] = {0, 0, 0};
    same.init(zero, zero);
    EXPECT_EQ(same.factor.m[0], 65536);
    EXPECT_EQ(same.factor.m[4], 65536);
    EXPECT_EQ(same.factor.m[8], 65536);
    EXPECT_EQ(same.factor.m[1], 0);
    EXPECT_EQ(same.offset[0], 0);

    // L* = 20; X and Z of the target do not matter (its cast is neutralised).
    const double target[3] = {0.5, 0.029890524416745258, 0.001};
    BlackPointCompensation bpc;
    bpc.init(zero, target);
    EXPECT_EQ(bpc.factor.m[0], 63577);
    EXPECT_EQ(bpc.factor.m[4], 63577);
    EXPECT_EQ(bpc.factor.m[8], 63577);
    EXPECT_EQ(bpc.offset[0], 1888);
    EXPECT_EQ(bpc.offset[1], 1958);
    EXPECT_EQ(bpc.offset[2], 1615);
    // Black goes to the target, white stays.
    VCEColor c = color(kXYZSpace, {0, 0, 0});
    bpc.apply(&c);
    EXPECT_EQ(c.channel[1], 1958);
    VCEColor w = color(kXYZSpace, {63189, 65536, 54060});
    bpc.apply(&w);
    EXPECT_NEAR(w.channel[1], 65536, 2);
    EXPECT_NEAR(w.channel[0], 63189, 2);
}

TEST(BlackPoint, EstimateConvertsBlackAndRestoresTheIntent)
{
    allocatePow0p33Table();
    // An RGB matrix profile converts device black once: its black is (0, 0, 0).
    ProfileBuilder b;
    b.add("wtpt", xyzElement(0.9642, 1, 0.8249))
        .add("rXYZ", xyzElement(0.4361, 0.2225, 0.0139))
        .add("gXYZ", xyzElement(0.3851, 0.7169, 0.0971))
        .add("bXYZ", xyzElement(0.1431, 0.0606, 0.7141))
        .add("rTRC", gammaCurve(2.2))
        .share("gTRC", 4)
        .share("bTRC", 4);
    ICCProfile p = parseProfile(b.build());
    MatrixProfile m;
    m.setProfile(p);
    m.setIntent(2);
    double black[3];
    BlackPointCompensation::estimateBlackPoint(black, &m, 0);
    EXPECT_EQ(black[1], 0.0);
    EXPECT_EQ(m.getIntent(), 2u);

    // A table profile converts Lab black to device and back: this one's darkest is L 0x4000.
    auto pr = printer({{"A2B0", 0x4000}, {"B2A0", 100}});
    pr->engine.setIntent(1);
    BlackPointCompensation::estimateBlackPoint(black, &pr->engine, 0);
    const double L = v2_to_v4(0x4000) * 100.0 / 65535;
    EXPECT_NEAR(black[1], std::pow((L + 16) / 116, 3), 1e-9);
    EXPECT_EQ(pr->engine.getIntent(), 1u);
}

} // namespace
