#include "engine/vce_color.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vemora;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

class ColorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { allocatePow0p33Table(); }
};

VCEColor lab(int L, int a, int b)
{
    VCEColor c{};
    c.colorSpace = kLabSpace;
    c.channel[0] = L;
    c.channel[1] = a;
    c.channel[2] = b;
    return c;
}

VCEColor xyz(int X, int Y, int Z)
{
    VCEColor c{};
    c.colorSpace = kXYZSpace;
    c.channel[0] = X;
    c.channel[1] = Y;
    c.channel[2] = Z;
    return c;
}

void expect3(const VCEColor& c, int x, int y, int z, uint32_t space, const char* what)
{
    EXPECT_EQ(c.colorSpace, space) << what;
    EXPECT_EQ(c.channel[0], x) << what;
    EXPECT_EQ(c.channel[1], y) << what;
    EXPECT_EQ(c.channel[2], z) << what;
}

TEST_F(ColorTest, CubeRootTablesHoldTruncatedRootsOfTheDesignedExponent)
{
    const int32_t* t1 = CubeRootTable1::ptr()->entry;
    const int32_t* t9 = CubeRootTable9::ptr()->entry;
    EXPECT_EQ(t1[0], 0);
    EXPECT_EQ(t1[65536], static_cast<int32_t>(32768.0 * std::pow(1.0, 0.3333333333333333)));
    EXPECT_EQ(t1[8], static_cast<int32_t>(32768.0 * std::pow(8 / 65536.0, 0.3333333333333333)));
    EXPECT_EQ(t9[147456], 136320);
    EXPECT_EQ(t9[16384], 65536);
    EXPECT_EQ(t9[2], static_cast<int32_t>(65536.0 * std::pow(9.0 * 2 / 147456, 0.3333333333333333)));
    // A second call keeps the tables.
    allocatePow0p33Table();
    EXPECT_EQ(CubeRootTable1::ptr()->entry, t1);
}

TEST_F(ColorTest, LabToXYZKnownValuesAndRoundTrips)
{
    struct Row {
        int L, a, b, X, Y, Z, L2, a2, b2;
    } rows[] = {
        {0, 32768, 32768, 0, 0, 0, 0, 32768, 32768},
        {65535, 32768, 32768, 63190, 65536, 54060, 65535, 32764, 32769},
        {65535, 0, 65535, 26019, 65536, 2520, 65535, 0, 65535},
    };
    for (const auto& r : rows) {
        VCEColor c = lab(r.L, r.a, r.b);
        VCEColor x;
        VCELab_to_VCEXYZ(c, &x);
        expect3(x, r.X, r.Y, r.Z, kXYZSpace, "Lab to XYZ");
        VCEXYZ_to_VCELab(x, &x); // in place
        expect3(x, r.L2, r.a2, r.b2, kLabSpace, "back to Lab");
    }
    VCEColor mid;
    VCELab_to_VCEXYZ(lab(32768, 32768, 32768), &mid);
    expect3(mid, 11636, 12070, 9954, kXYZSpace, "mid grey");
}

TEST_F(ColorTest, ConversionsWriteOnlyTheirChannelsAndSpace)
{
    VCEColor c = lab(40000, 30000, 36000);
    c.channel[3] = 1234;
    VCELab_to_VCEXYZ(c, &c);
    EXPECT_EQ(c.channel[3], 1234);
    VCEXYZ_to_VCELab(c, &c);
    EXPECT_EQ(c.channel[3], 1234);
}

TEST_F(ColorTest, NegativeAndHugeXYZStayInsideTheTablesAndClip)
{
    VCEColor out;
    VCEXYZ_to_VCELab(xyz(-5000, -100, -7000), &out);
    EXPECT_EQ(out.channel[0], 0) << "negative Y gives negative L, clipped";
    VCEXYZ_to_VCELab(xyz(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), &out);
    EXPECT_EQ(out.channel[0], 65535);
    for (int L : {-100, 65536, 1 << 30}) {
        VCELab_to_VCEXYZ(lab(L, 0, 65535), &out);
        EXPECT_EQ(out.colorSpace, kXYZSpace);
    }
}

TEST_F(ColorTest, LabXYZRoundTripIsCloseOverTheGamut)
{
    // The integer arithmetic loses a few units; a wrong shift or constant loses hundreds. Near an
    // XYZ component of zero the cube-root table, indexed by v >> 2, is coarse: colours there
    // (extreme saturation, L* near 0) lose up to about 0.3 of a unit of a* or b*.
    int worst = 0, worstOrdinary = 0;
    for (int L = 0; L <= 65535; L += 4369)
        for (int a = 0; a <= 65535; a += 4369)
            for (int b = 0; b <= 65535; b += 4369) {
                VCEColor c = lab(L, a, b), x, back;
                VCELab_to_VCEXYZ(c, &x);
                if (x.channel[0] < 0 || x.channel[2] < 0)
                    continue; // outside the real colours: no round trip to expect
                VCEXYZ_to_VCELab(x, &back);
                const bool ordinary = x.channel[0] > 3277 && x.channel[1] > 3277 && x.channel[2] > 3277;
                for (int i = 0; i < 3; ++i) {
                    const int d = std::abs(back.channel[i] - c.channel[i]);
                    worst = std::max(worst, d);
                    if (ordinary)
                        worstOrdinary = std::max(worstOrdinary, d);
                }
            }
    EXPECT_LE(worst, 80);
    EXPECT_LE(worstOrdinary, 32) << "X, Y and Z above 0.05 (about 0.1 of a unit of a* or b*)";
}

TEST(ColorValues, VersionAdjustmentsWidthsAndFixedPoint)
{
    EXPECT_EQ(v2_to_v4(65280), 65535);
    EXPECT_EQ(v2_to_v4(32768), 32896);
    EXPECT_EQ(v4_to_v2(65535), 65280);
    EXPECT_EQ(v4_to_v2(32896), 32768);
    EXPECT_EQ(v4_to_v2(0), 0);
    EXPECT_EQ(bit16_to_bit8(65535), 255u);
    EXPECT_EQ(bit16_to_bit8(256), 0u);
    EXPECT_EQ(bit8_to_bit16(255), 65535u);
    EXPECT_EQ(getFixed(-0.5), -32768);
    EXPECT_EQ(getFixed(3.5), 229376);
    EXPECT_EQ(getFixed(-1.0 / 65536.0 * 0.5), 0) << "toward zero";
    EXPECT_EQ(fixedMul(-65536, 3), -3);
    EXPECT_EQ(fixedMul(-1, 1), -1) << "arithmetic shift floors";
    EXPECT_EQ(fixedMul(0x40000000, 0x100), 0x400000) << "the product is taken in 64 bits";
    EXPECT_EQ(clipDomain(5L, 0, 3L), 3);
    EXPECT_EQ(clipDomain(-1.5, 0.0, 1.0), 0.0);
}

TEST(ColorValues, ImageLabEncodings)
{
    VCEColor c{};
    c.channel[0] = 65535;
    c.channel[1] = 32768;
    c.channel[2] = 0;
    unsigned char t8[3];
    VCELab_to_tiffLab8(c, t8);
    EXPECT_EQ(t8[0], 255);
    EXPECT_EQ(t8[1], 0);
    EXPECT_EQ(t8[2], 0x80);
    unsigned char p8[3];
    VCELab_to_pxLab8(c, p8);
    EXPECT_EQ(p8[1], 128);
    unsigned short t16[3];
    VCELab_to_tiffLab16(c, t16);
    EXPECT_EQ(static_cast<short>(t16[1]), 0);
    EXPECT_EQ(static_cast<short>(t16[2]), -32768);

    VCEColor back{};
    tiffLab8_to_VCELab(t8, &back);
    EXPECT_EQ(back.channel[0], 65535);
    EXPECT_EQ(back.channel[1], 32768);
    EXPECT_EQ(back.channel[2], 0);
    EXPECT_EQ(back.colorSpace, kLabSpace);
    tiffLab16_to_VCELab(t16, &back);
    EXPECT_EQ(back.channel[1], 32768);
    EXPECT_EQ(back.channel[2], 0);
    const unsigned char px[3] = {255, 128, 0};
    pxLab8_to_VCELab(px, &back);
    EXPECT_EQ(back.channel[0], 65535);
    EXPECT_EQ(back.channel[1], 32768);
}

TEST(Matrices, InverseProductAndFixedTranspose)
{
    const Matrix33 m(0.4361, 0.3851, 0.1431, 0.2225, 0.7169, 0.0606, 0.0139, 0.0971, 0.7141);
    Matrix33 inv, id;
    Matrix_Inverse(inv, m);
    Matrix33_mulitple(id, m, inv);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(id(r, c), r == c ? 1.0 : 0.0, 1e-12);
    const double v[3] = {1, 1, 1};
    double out[3];
    D3_Vertex_hmup_Matrix(out, v, m);
    EXPECT_NEAR(out[0], 0.9643, 1e-12);
    EXPECT_NEAR(out[2], 0.8251, 1e-12);

    const Fixed_Matrix33 f = Fixed_Matrix33::fromColumnMatrix(m);
    EXPECT_EQ(f.m[1], getFixed(m(1, 0))) << "stored transposed";
    const long src[3] = {65536, 0, 0};
    long dst[3];
    f.mul(dst, src);
    EXPECT_EQ(dst[0], getFixed(0.4361));
    EXPECT_EQ(dst[1], getFixed(0.2225));
    EXPECT_EQ(dst[2], getFixed(0.0139));
}

} // namespace
