#pragma once
// The colour record of the engine, its fixed-point encodings and the integer Lab/XYZ
// conversions. Per-pixel work is integer only: device values and Lab are 16-bit quantities in
// 32-bit integers, XYZ is s15.16 relative to the D50 white, cube roots come from two tables
// built once at start-up.
#include "foundation/singleton.h"

#include <cstdint>

namespace vemora {

// s15.16 helpers.
inline long getFixed(double d)
{
    return static_cast<long>(d * 65536.0);
}

inline long fixedMul(long a, long b)
{
    return static_cast<long>(static_cast<int32_t>((static_cast<int64_t>(a) * static_cast<int64_t>(b)) >> 16));
}

template <class V, class L, class H>
inline V clipDomain(V value, L low, H high)
{
    return value < low ? static_cast<V>(low) : value > high ? static_cast<V>(high) : value;
}

// A cube-root table of N signed 32-bit entries; R = 1: i / 65536, R = 9: 9 i / (N - 1).
template <int N, int R>
struct LookupTable {
    int32_t entry[N];
};

} // namespace vemora

namespace vemora::cms::vemICC::nsp_VCE {

constexpr uint32_t kLabSpace = 0x4C616220;  // 'Lab '
constexpr uint32_t kXYZSpace = 0x58595A20;  // 'XYZ '
constexpr uint32_t kRGBSpace = 0x52474220;  // 'RGB '
constexpr uint32_t kCMYKSpace = 0x434D594B; // 'CMYK'
constexpr uint32_t kDevcSpace = 0x44455643; // 'DEVC'

// A plain record, no constructor: vectors of it serve as scratch space.
struct VCEColor {
    uint32_t colorSpace;
    int32_t channel[15];
};
static_assert(sizeof(VCEColor) == 64, "a colour is 64 bytes");

inline bool isPCS(const VCEColor& c)
{
    return c.colorSpace == kLabSpace || c.colorSpace == kXYZSpace;
}

using CubeRootTable1 = dxSingleton<LookupTable<65537, 1>, 2, false>;
using CubeRootTable9 = dxSingleton<LookupTable<147457, 9>, 3, false>;

// Builds both cube-root tables once; they live until the process ends.
void allocatePow0p33Table();

void VCELab_to_VCEXYZ(const VCEColor& in, VCEColor* out);
void VCEXYZ_to_VCELab(const VCEColor& in, VCEColor* out);

inline long v2_to_v4(unsigned long x)
{
    return clipDomain(fixedMul(static_cast<long>(x), 65792), 0, 65535L);
}
inline long v4_to_v2(unsigned long x)
{
    return clipDomain(fixedMul(static_cast<long>(x) + 1, 65280), 0, 65280L);
}

inline unsigned long bit16_to_bit8(unsigned long x) { return x / 257; }
inline unsigned long bit8_to_bit16(unsigned long x) { return x * 257; }

// Lab encodings of images: pxLab is the engine's own, tiffLab has signed a and b.
inline void VCELab_to_pxLab16(const VCEColor& c, unsigned short* p)
{
    p[0] = static_cast<unsigned short>(c.channel[0]);
    p[1] = static_cast<unsigned short>(c.channel[1]);
    p[2] = static_cast<unsigned short>(c.channel[2]);
}
inline void VCELab_to_pxLab8(const VCEColor& c, unsigned char* p)
{
    p[0] = static_cast<unsigned char>(static_cast<uint32_t>(c.channel[0]) / 257);
    p[1] = static_cast<unsigned char>(c.channel[1] >> 8);
    p[2] = static_cast<unsigned char>(c.channel[2] >> 8);
}
inline void VCELab_to_tiffLab16(const VCEColor& c, unsigned short* p)
{
    p[0] = static_cast<unsigned short>(c.channel[0]);
    p[1] = static_cast<unsigned short>(c.channel[1] - 32768);
    p[2] = static_cast<unsigned short>(c.channel[2] - 32768);
}
inline void VCELab_to_tiffLab8(const VCEColor& c, unsigned char* p)
{
    p[0] = static_cast<unsigned char>(static_cast<uint32_t>(c.channel[0]) / 257);
    p[1] = static_cast<unsigned char>((c.channel[1] >> 8) - 128);
    p[2] = static_cast<unsigned char>((c.channel[2] >> 8) - 128);
}
inline void pxLab16_to_VCELab(const unsigned short* p, VCEColor* c)
{
    c->channel[0] = p[0];
    c->channel[1] = p[1];
    c->channel[2] = p[2];
    c->colorSpace = kLabSpace;
}
inline void pxLab8_to_VCELab(const unsigned char* p, VCEColor* c)
{
    c->channel[0] = p[0] * 257;
    c->channel[1] = p[1] << 8;
    c->channel[2] = p[2] << 8;
    c->colorSpace = kLabSpace;
}
inline void tiffLab16_to_VCELab(const unsigned short* p, VCEColor* c)
{
    c->channel[0] = p[0];
    c->channel[1] = (p[1] + 32768) & 0xFFFF;
    c->channel[2] = (p[2] + 32768) & 0xFFFF;
    c->colorSpace = kLabSpace;
}
inline void tiffLab8_to_VCELab(const unsigned char* p, VCEColor* c)
{
    c->channel[0] = p[0] * 257;
    c->channel[1] = ((p[1] + 128) << 8) & 0xFF00;
    c->channel[2] = ((p[2] + 128) << 8) & 0xFF00;
    c->colorSpace = kLabSpace;
}

// Nine doubles, row-major.
struct Matrix33 {
    Matrix33() : m{1, 0, 0, 0, 1, 0, 0, 0, 1} {}
    Matrix33(double a00, double a01, double a02, double a10, double a11, double a12, double a20, double a21,
             double a22)
        : m{a00, a01, a02, a10, a11, a12, a20, a21, a22}
    {
    }
    double operator()(int r, int c) const { return m[3 * r + c]; }
    double m[9];
};

// s15.16 matrix applied to a row vector: a column-vector matrix M is stored transposed.
struct Fixed_Matrix33 {
    Fixed_Matrix33() {}
    // Stores M (meant for column vectors) transposed, each entry through getFixed.
    static Fixed_Matrix33 fromColumnMatrix(const Matrix33& M);
    void mul(long* dst, const long* src) const
    {
        for (int i = 0; i < 3; ++i)
            dst[i] = fixedMul(src[0], m[i]) + fixedMul(src[1], m[3 + i]) + fixedMul(src[2], m[6 + i]);
    }
    int32_t m[9];
};

void Matrix33_mulitple(Matrix33& r, const Matrix33& a, const Matrix33& b);
void Matrix_Inverse(Matrix33& r, const Matrix33& a);
void D3_Vertex_hmup_Matrix(double* out, const double* v, const Matrix33& m);

} // namespace vemora::cms::vemICC::nsp_VCE
