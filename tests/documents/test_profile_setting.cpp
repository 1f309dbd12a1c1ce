#include "documents/profile_setting.h"
#include "documents/proof.h"
#include "engine/matrix_profile.h"
#include "icc/profile.h"

#include <gtest/gtest.h>

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemora::cms::vemICC::nsp_VCE;
using namespace vemoraVeriglow;

namespace {

ProfilePack pack(const char* name, Intent intent, PointerHolder<BaseProfile> p = {})
{
    ProfilePack k;
    k.description = UniString::fromUTF8(name);
    k.default_intent = intent;
    k.profile = p;
    return k;
}

TEST(ProfileSettingOps, ConsistencyFollowsTheNextNodesIntentIn)
{
    ProfileSetting s;
    s.add_profile(pack("src", 0));
    s.add_profile(pack("p1", 1));
    s.add_profile(pack("p2", 0));
    s.add_profile(pack("p3", 2));
    EXPECT_EQ(s.nodes[2].intent_out, 2u) << "node 2 now leads into a saturation node";
    EXPECT_EQ(s.nodes[0].intent_out, 1u);
    EXPECT_EQ(s.nodes[3].intent_out, 2u);
    s.intent_consistency = false;
    s.nodes[3].intent_in = 3;
    s.update_consistency_intent();
    EXPECT_EQ(s.nodes[2].intent_out, 2u);
}

TEST(ProfileSettingOps, SetProfileAppendsOrReplacesAndNoneDropsTheTail)
{
    ProfileSetting s;
    s.add_profile(pack("src", 0));
    s.set_profile(pack("p1", 2), 1);
    ASSERT_EQ(s.get_node_count(), 2);
    s.nodes[1].intent_in = 3;
    s.set_profile(pack("other", 0), 1);
    EXPECT_EQ(s.nodes[1].pack.description.toUTF8(), "other");
    EXPECT_EQ(s.nodes[1].intent_in, 3u) << "intents stay";
    s.set_profile(pack("far", 0), 5);
    EXPECT_EQ(s.get_node_count(), 2);
    s.set_none_profile(0);
    s.set_none_profile(2);
    EXPECT_EQ(s.get_node_count(), 2);
    s.set_none_profile(1);
    EXPECT_EQ(s.get_node_count(), 1);
}

TEST(ProfileSettingOps, EmbeddedAndLabNodes)
{
    ProfileSetting s;
    EXPECT_FALSE(s.is_first_lab());
    s.set_embed_profile(pack("embedded", 2));
    EXPECT_TRUE(s.has_embedded && s.use_embedded);
    EXPECT_EQ(s.embedded_node.intent_out, 2u);
    s.add_profile(pack("embedded", 2));
    s.add_profile(pack("press", 1));
    EXPECT_EQ(s.embedded_node.intent_out, 1u);

    ProfileSetting lab;
    lab.native_rgb_allowed = true;
    lab.set_first_lab();
    EXPECT_TRUE(lab.is_first_lab());
    EXPECT_EQ(lab.color_mode, colorModeLab);
    EXPECT_FALSE(lab.native_rgb_allowed);
}

TEST(ProfileSettingOps, CopiesShareProfiles)
{
    PointerHolder<BaseProfile> engine(new MatrixProfile);
    ProfileSetting s;
    s.add_profile(pack("src", 0, engine));
    {
        ProfileSetting copy = s;
        EXPECT_EQ(copy.nodes[0].pack.profile.get(), engine.get());
    }
    EXPECT_EQ(s.nodes[0].pack.profile.getUseCount(), 2);
}

// A stand-in engine profile: RGB device, XYZ PCS; records the intents it was asked for.
class FakeProfile : public BaseProfile {
public:
    explicit FakeProfile(ColorMode dcs) { dcsColor = dcs, pcsColor = colorModeXYZ; }
    void setProfile(const ICCProfile&) override {}
    void match(VCEColor* c) override
    {
        c->colorSpace = isPCS(*c) ? (dcsColor == colorModeCMYK ? kCMYKSpace : kRGBSpace) : kXYZSpace;
    }
    long getInputAccept() const override { return 3; }
    long getOutputAccept() const override { return 3; }
    long getAChannel() const override { return 3; }
    long getBChannel() const override { return 3; }
    void setMediaWhiteByChromaticAdaptation(bool) override {}
};

class ProofLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        allocatePow0p33Table();
        rgb.allocate(new FakeProfile(colorModeRGB), true);
        cmyk.allocate(new FakeProfile(colorModeCMYK), true);
        proof.display.second = pack("display", 0, PointerHolder<BaseProfile>(new FakeProfile(colorModeRGB)));
    }
    PointerHolder<BaseProfile> rgb, cmyk;
    Proof proof;
};

TEST_F(ProofLink, LabImageAloneGoesStraightToTheDisplay)
{
    proof.setting.set_first_lab();
    proof.update_link();
    EXPECT_TRUE(proof.sequence.empty());
    ASSERT_EQ(proof.link->chain.size(), 1u);
    EXPECT_EQ(proof.link->chain[0].first.get(), proof.display.second.profile.get());
    EXPECT_EQ(proof.link->chain[0].second.intent, 1u);
    proof.setting.simulate = 2;
    proof.update_link();
    EXPECT_EQ(proof.link->chain[0].second.intent, 3u);
    EXPECT_EQ(proof.link->gridPoints[0], 33);
}

TEST_F(ProofLink, EmbeddedSourceAloneIsRewrittenToRelativeWithCompensation)
{
    proof.setting.set_embed_profile(pack("embedded", 0, rgb));
    proof.setting.add_profile(pack("embedded", 0, rgb));
    proof.update_link();
    ASSERT_EQ(proof.sequence.size(), 1u);
    EXPECT_EQ(proof.sequence[0].second.intent, 0u) << "the sequence keeps the user's intent";
    ASSERT_EQ(proof.link->chain.size(), 2u);
    EXPECT_EQ(proof.link->chain[0].second.intent, 1u);
    EXPECT_FALSE(proof.link->chain[1].second.bpc.isNull());
    EXPECT_TRUE(proof.link->isReady());
    EXPECT_EQ(proof.link->gridPoints[0], 17);
}

TEST_F(ProofLink, PrinterUsesCarryTheirIntentsAndCompensation)
{
    proof.setting.add_profile(pack("src", 0, rgb));
    proof.setting.add_profile(pack("press", 2, cmyk));
    proof.setting.nodes[1].bpc = true;
    proof.update_link();
    ASSERT_EQ(proof.sequence.size(), 3u);
    EXPECT_EQ(proof.sequence[1].second.intent, 2u);
    EXPECT_FALSE(proof.sequence[1].second.bpc.isNull()) << "compensation from the source into the press";
    EXPECT_TRUE(proof.sequence[2].second.bpc.isNull());
    EXPECT_FALSE(proof.link->chain[3].second.bpc.isNull()) << "and from the press into the display";
    // Black ink: no compensation into the display; paper: the press out absolute.
    proof.setting.simulate = 1;
    proof.update_link();
    EXPECT_TRUE(proof.link->chain[3].second.bpc.isNull());
    EXPECT_FALSE(proof.link->chain[1].second.bpc.isNull());
    EXPECT_EQ(proof.link->chain[2].second.intent, 1u);
    proof.setting.simulate = 2;
    PointerHolder<ColorSpace> before = proof.link;
    proof.update_link();
    EXPECT_EQ(proof.link->chain[2].second.intent, 3u);
    EXPECT_EQ(proof.sequence[2].second.intent, 2u) << "the sequence keeps the user's out intent";
    EXPECT_NE(before.get(), proof.link.get()) << "a new link, the old one untouched";
    EXPECT_EQ(before->chain[2].second.intent, 1u);
}

TEST_F(ProofLink, LabImageWithAProofProfileCompensatesFromAbsoluteBlack)
{
    proof.setting.set_first_lab();
    proof.setting.add_profile(pack("press", 1, cmyk));
    proof.setting.nodes[1].bpc = true;
    proof.update_link();
    ASSERT_EQ(proof.sequence.size(), 2u) << "no source use for the Lab node";
    ASSERT_FALSE(proof.sequence[0].second.bpc.isNull());
    // The fake press hands Lab black (0, 32768, 32768) back as XYZ: a black of Y = 0.5, so the
    // compensation from absolute black halves the range (0 goes to 0.5, 1 stays).
    EXPECT_EQ(proof.sequence[0].second.bpc->factor.m[4], 32768);
}

} // namespace
