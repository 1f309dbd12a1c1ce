#include "engine/matrix_profile.h"
#include "icc/profile.h"

#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

ProfileBuilder diagonal(double wx = 0.9642, double wy = 1.0, double wz = 0.8249)
{
    ProfileBuilder b;
    b.add("wtpt", xyzElement(wx, wy, wz))
        .add("rXYZ", Bytes::element("XYZ ").u32(63189).u32(0).u32(0).b) // 0.9642 and 0.8249 as
        .add("gXYZ", xyzElement(0, 1, 0))                                // s15.16: 63189 and 54060
        .add("bXYZ", Bytes::element("XYZ ").u32(0).u32(0).u32(54060).b)
        .add("rTRC", gammaCurve(1.0))
        .share("gTRC", 4)
        .share("bTRC", 4);
    return b;
}

class MatrixProfileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { allocatePow0p33Table(); }
};

TEST_F(MatrixProfileTest, DiagonalProfileRoundTripLosesOnlyTruncation)
{
    MatrixProfile m;
    m.setProfile(parseProfile(diagonal().build()));
    m.setIntent(1);
    VCEColor c = color(kRGBSpace, {65535, 65535, 65535});
    m.match(&c);
    EXPECT_EQ(c.colorSpace, kXYZSpace);
    EXPECT_EQ(c.channel[0], 63188);
    EXPECT_EQ(c.channel[1], 65535);
    EXPECT_EQ(c.channel[2], 54059);
    // Back to device values: the truncations of the fixed-point path lose at most a few units.
    m.match(&c);
    EXPECT_EQ(c.colorSpace, kRGBSpace);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(c.channel[i], 65535, 2) << i;
    EXPECT_EQ(m.getDCSColor(), colorModeRGB);
    EXPECT_EQ(m.getPCSColor(), colorModeXYZ);
}

TEST_F(MatrixProfileTest, PcsToDeviceClipsLinearValues)
{
    MatrixProfile m;
    m.setProfile(parseProfile(diagonal().build()));
    m.setIntent(0);
    VCEColor c{};
    c.colorSpace = kXYZSpace;
    c.channel[0] = -5000;
    c.channel[1] = 200000;
    c.channel[2] = 0;
    m.match(&c);
    EXPECT_EQ(c.channel[0], 0);
    EXPECT_EQ(c.channel[1], 65535);
    // Lab goes through XYZ first: Lab white is device white.
    VCEColor white{};
    white.colorSpace = kLabSpace;
    white.channel[0] = 65535;
    white.channel[1] = 32768;
    white.channel[2] = 32768;
    m.match(&white);
    EXPECT_GE(white.channel[0], 65530);
    EXPECT_EQ(white.colorSpace, kRGBSpace);
}

TEST_F(MatrixProfileTest, AbsoluteIntentPutsDeviceWhiteOnTheMediaWhite)
{
    // A version 2 display profile's colorimetry is relative to D50 whatever its media white tag
    // says; every other profile's device white lands on its media white.
    struct Case {
        const char* profileClass;
        unsigned long version;
        bool onMediaWhite;
    };
    for (const Case& k : {Case{"prtr", 0x02100000, true}, Case{"mntr", 0x04200000, true},
                          Case{"mntr", 0x02100000, false}}) {
        SCOPED_TRACE(std::string(k.profileClass) + " " + std::to_string(k.version >> 24));
        ProfileBuilder b = diagonal(0.9, 0.95, 0.7);
        b.profileClass = k.profileClass;
        b.version = k.version;
        MatrixProfile m;
        m.setProfile(parseProfile(b.build()));
        m.setIntent(3);
        VCEColor c = color(kRGBSpace, {65535, 65535, 65535});
        m.match(&c);
        EXPECT_NEAR(c.channel[0], (k.onMediaWhite ? 0.9 : 0.9642) * 65536, 4);
        EXPECT_NEAR(c.channel[1], (k.onMediaWhite ? 0.95 : 1.0) * 65536, 4);
        EXPECT_NEAR(c.channel[2], (k.onMediaWhite ? 0.7 : 0.8249) * 65536, 4);
        // Without 'chad' the adapted white is the same.
        m.setMediaWhiteByChromaticAdaptation(true);
        EXPECT_EQ(0, memcmp(m.chadFwd.m, m.wtptFwd.m, sizeof m.chadFwd.m));
    }
}

TEST_F(MatrixProfileTest, ChadTagGivesTheUnadaptedWhiteAndShortOnesAreIgnored)
{
    // A Bradford-like matrix scaling X by 1.1: the white before adaptation is D50 / 1.1 in X.
    ProfileBuilder b = diagonal();
    Bytes chad = Bytes::element("sf32");
    for (double v : {1.1, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0})
        chad.s15(v);
    b.add("chad", chad.b);
    MatrixProfile m;
    m.setProfile(parseProfile(b.build()));
    m.setMediaWhiteByChromaticAdaptation(true);
    m.setIntent(3);
    VCEColor c = color(kRGBSpace, {65535, 65535, 65535});
    m.match(&c);
    EXPECT_NEAR(c.channel[0], 0.9642 / 1.1 * 65536, 4);

    ProfileBuilder shortChad = diagonal();
    Bytes eight = Bytes::element("sf32");
    for (int i = 0; i < 8; ++i)
        eight.s15(2.0);
    shortChad.add("chad", eight.b);
    MatrixProfile n;
    n.setProfile(parseProfile(shortChad.build()));
    EXPECT_EQ(0, memcmp(n.chadFwd.m, n.wtptFwd.m, sizeof n.chadFwd.m));
}

TEST_F(MatrixProfileTest, MissingOrMistypedTagsFailWithTheirCodes)
{
    struct Case {
        const char* what;
        ProfileBuilder profile;
        std::string lines;
    };
    ProfileBuilder noBlue;
    noBlue.add("wtpt", xyzElement(0.9642, 1, 0.8249))
        .add("rXYZ", xyzElement(0.9642, 0, 0))
        .add("gXYZ", xyzElement(0, 1, 0))
        .add("rTRC", gammaCurve(1.0));
    ProfileBuilder wrongType = diagonal();
    wrongType.entries[3].element = gammaCurve(1.0); // 'bXYZ' holding a curve
    ProfileBuilder wrongCurve = diagonal();
    wrongCurve.entries[4].element = xyzElement(1, 1, 1); // 'rTRC' holding XYZ
    ProfileBuilder noGreenCurve;
    noGreenCurve.add("wtpt", xyzElement(0.9642, 1, 0.8249))
        .add("rXYZ", xyzElement(0.9642, 0, 0))
        .add("gXYZ", xyzElement(0, 1, 0))
        .add("bXYZ", xyzElement(0, 0, 0.8249))
        .add("rTRC", gammaCurve(1.0))
        .share("bTRC", 4);
    const Case cases[] = {
        {"missing bXYZ", noBlue, "BaseProfile exception: 3\nBaseProfile exception: 2\n"},
        {"bXYZ not XYZ", wrongType, "BaseProfile exception: 5\nBaseProfile exception: 2\n"},
        {"rTRC not a curve", wrongCurve, "BaseProfile exception: 1\nBaseProfile exception: 2\n"},
        {"gTRC missing", noGreenCurve, "BaseProfile exception: 0\nBaseProfile exception: 2\n"},
    };
    for (const auto& c : cases) {
        ICCProfile p = parseProfile(c.profile.build());
        MatrixProfile m;
        testing::internal::CaptureStdout();
        try {
            m.setProfile(p);
            ADD_FAILURE() << c.what;
        } catch (const BaseProfile::Exception& e) {
            EXPECT_EQ(e.code, 2) << c.what;
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.lines) << c.what;
    }
}

TEST_F(MatrixProfileTest, DeviceEndsReadTheFirstAndLastTableEntries)
{
    ProfileBuilder b = diagonal();
    b.entries[4].element = gammaCurve(2.2);
    MatrixProfile m;
    m.setProfile(parseProfile(b.build()));
    m.setIntent(1);
    VCEColor black = color(kRGBSpace, {0, 0, 0});
    m.match(&black);
    EXPECT_EQ(black.channel[1], 0);
    EXPECT_EQ(m.forwardCurve(0).table[32767], 65535u);
    VCEColor mid = color(kRGBSpace, {32768, 32768, 32768});
    m.match(&mid);
    EXPECT_EQ(mid.channel[1], static_cast<int32_t>(m.forwardCurve(1).table[16384]));
}

} // namespace
