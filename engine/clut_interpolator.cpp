#include "engine/clut_interpolator.h"

#include <cmath>
#include <cstring>


namespace vemora::cms {

using vemICC::nsp_VCE::VCEColor;

namespace {

// One interpolation step: u + floor(f (w - u) / 2^16), in the modular 32-bit form (exact, since
// the result lies between u and w).
inline uint32_t step(uint32_t u, uint32_t w, uint32_t f)
{
    return (u + ((f * (w - u)) >> 16)) & 0xFFFF;
}

struct Axis {
    uint32_t lo, hi, f;
};

// Inputs beyond 0 … 65536 are clamped, so no input can index outside the grid.
inline Axis axis(int32_t x, uint32_t maxIndex)
{
    const uint32_t v = x < 0 ? 0u : x > 65536 ? 65536u : static_cast<uint32_t>(x);
    const uint32_t p = maxIndex * v;
    const uint32_t lo = p >> 16;
    return Axis{lo, lo + 1 > maxIndex ? lo : lo + 1, p - (lo << 16)};
}

template <int OUT, class V>
inline void interp3(const CLUTInterpolator& c, VCEColor* out, const VCEColor& in)
{
    const Axis a0 = axis(in.channel[0], c.gather.maxIndex0);
    const Axis a1 = axis(in.channel[1], c.gather.maxIndex1);
    const Axis a2 = axis(in.channel[2], c.gather.maxIndex2);
    const uint32_t s0 = c.pointer.stride0 * OUT, s1 = c.pointer.stride1 * OUT;
    const V* d = reinterpret_cast<const V*>(c.data);
    const V* p00 = d + a0.lo * s0 + a1.lo * s1;
    const V* p01 = d + a0.lo * s0 + a1.hi * s1;
    const V* p10 = d + a0.hi * s0 + a1.lo * s1;
    const V* p11 = d + a0.hi * s0 + a1.hi * s1;
    const uint32_t l2 = a2.lo * OUT, h2 = a2.hi * OUT;
    uint32_t r[OUT];
#pragma GCC unroll 4
    for (int o = 0; o < OUT; ++o) {
        const uint32_t e00 = step(p00[l2 + o], p00[h2 + o], a2.f);
        const uint32_t e01 = step(p01[l2 + o], p01[h2 + o], a2.f);
        const uint32_t e10 = step(p10[l2 + o], p10[h2 + o], a2.f);
        const uint32_t e11 = step(p11[l2 + o], p11[h2 + o], a2.f);
        r[o] = step(step(e00, e01, a1.f), step(e10, e11, a1.f), a0.f);
    }
#pragma GCC unroll 4
    for (int o = 0; o < OUT; ++o)
        out->channel[o] = static_cast<int32_t>(r[o]);
}

template <int OUT, class V>
inline void interp4(const CLUTInterpolator& c, VCEColor* out, const VCEColor& in)
{
    const Axis a0 = axis(in.channel[0], c.gather.maxIndex0);
    const Axis a1 = axis(in.channel[1], c.gather.maxIndex1);
    const Axis a2 = axis(in.channel[2], c.gather.maxIndex2);
    const Axis a3 = axis(in.channel[3], c.gather.maxIndex3);
    const uint32_t s0 = c.pointer.stride0 * OUT, s1 = c.pointer.stride1 * OUT, s2 = c.pointer.stride2 * OUT;
    const V* d = reinterpret_cast<const V*>(c.data);
    const V* q0 = d + a0.lo * s0;
    const V* q1 = d + a0.hi * s0;
    const uint32_t l1 = a1.lo * s1, h1 = a1.hi * s1, l2 = a2.lo * s2, h2 = a2.hi * s2;
    const V* p000 = q0 + l1 + l2;
    const V* p001 = q0 + l1 + h2;
    const V* p010 = q0 + h1 + l2;
    const V* p011 = q0 + h1 + h2;
    const V* p100 = q1 + l1 + l2;
    const V* p101 = q1 + l1 + h2;
    const V* p110 = q1 + h1 + l2;
    const V* p111 = q1 + h1 + h2;
    const uint32_t l3 = a3.lo * OUT, h3 = a3.hi * OUT;
    uint32_t r[OUT];
#pragma GCC unroll 4
    for (int o = 0; o < OUT; ++o) {
        const uint32_t e000 = step(p000[l3 + o], p000[h3 + o], a3.f);
        const uint32_t e001 = step(p001[l3 + o], p001[h3 + o], a3.f);
        const uint32_t e010 = step(p010[l3 + o], p010[h3 + o], a3.f);
        const uint32_t e011 = step(p011[l3 + o], p011[h3 + o], a3.f);
        const uint32_t e100 = step(p100[l3 + o], p100[h3 + o], a3.f);
        const uint32_t e101 = step(p101[l3 + o], p101[h3 + o], a3.f);
        const uint32_t e110 = step(p110[l3 + o], p110[h3 + o], a3.f);
        const uint32_t e111 = step(p111[l3 + o], p111[h3 + o], a3.f);
        const uint32_t g00 = step(e000, e001, a2.f), g01 = step(e010, e011, a2.f);
        const uint32_t g10 = step(e100, e101, a2.f), g11 = step(e110, e111, a2.f);
        r[o] = step(step(g00, g01, a1.f), step(g10, g11, a1.f), a0.f);
    }
#pragma GCC unroll 4
    for (int o = 0; o < OUT; ++o)
        out->channel[o] = static_cast<int32_t>(r[o]);
}

} // namespace

bool CLUTInterpolator::setup(const unsigned char* grid, long nIn, long nOut, long bytes, const long* gridPoints)
{
    // A colour has 15 channels; grids need two points an axis to interpolate.
    if (nIn < 1 || nIn > 15 || nOut < 1 || nOut > 15 || (bytes != 1 && bytes != 2))
        return false;
    for (long k = 0; k < nIn; ++k)
        if (gridPoints[k] < 2 || gridPoints[k] > 256)
            return false;
    data = grid;
    inputs = static_cast<int32_t>(nIn);
    outputs = static_cast<int32_t>(nOut);
    valueBytes = static_cast<int32_t>(bytes);
    fracBits = 16;
    gather.assign(gridPoints, nIn, 16, 16);
    pointer.assign(gridPoints, nIn);
    vertexCount = static_cast<int32_t>(std::pow(2.0, static_cast<double>(nIn)));
    modeCode = inputs * 32 + outputs * 2 + valueBytes - 1;
    return true;
}

void CLUTInterpolator::interpo33c1b(VCEColor* out, const VCEColor& in) const { interp3<3, uint8_t>(*this, out, in); }
void CLUTInterpolator::interpo33c2b(VCEColor* out, const VCEColor& in) const { interp3<3, uint16_t>(*this, out, in); }
void CLUTInterpolator::interpo34c1b(VCEColor* out, const VCEColor& in) const { interp3<4, uint8_t>(*this, out, in); }
void CLUTInterpolator::interpo34c2b(VCEColor* out, const VCEColor& in) const { interp3<4, uint16_t>(*this, out, in); }
void CLUTInterpolator::interpo43c1b(VCEColor* out, const VCEColor& in) const { interp4<3, uint8_t>(*this, out, in); }
void CLUTInterpolator::interpo43c2b(VCEColor* out, const VCEColor& in) const { interp4<3, uint16_t>(*this, out, in); }
void CLUTInterpolator::interpo44c1b(VCEColor* out, const VCEColor& in) const { interp4<4, uint8_t>(*this, out, in); }
void CLUTInterpolator::interpo44c2b(VCEColor* out, const VCEColor& in) const { interp4<4, uint16_t>(*this, out, in); }

void CLUTInterpolator::interpoN(VCEColor* out, const VCEColor& in) const
{
    const int n = inputs;
    Axis ax[15];
    for (int k = 0; k < n; ++k)
        ax[k] = axis(in.channel[k], gather.maxIndex[static_cast<std::size_t>(k)]);
    const uint32_t mask = valueBytes == 1 ? 0xFF : 0xFFFF;
    auto value = [&](uint32_t node, int o) -> uint32_t {
        const std::size_t at = static_cast<std::size_t>(node) * static_cast<std::size_t>(outputs) + o;
        return valueBytes == 1 ? data[at] : reinterpret_cast<const uint16_t*>(data)[at];
    };
    const uint32_t corners = static_cast<uint32_t>(vertexCount);
    // Per thread, so that one table may be read by several threads at once.
    thread_local std::vector<VCEColor> scratch;
    if (scratch.size() < corners / 2)
        scratch.resize(corners / 2);
    for (uint32_t j = 0; j < corners; j += 2) {
        uint32_t node = 0;
        for (int k = 0; k < n - 1; ++k) {
            const bool upper = (j >> (n - 1 - k)) & 1;
            node += (upper ? ax[k].hi : ax[k].lo) * pointer.strides[static_cast<std::size_t>(k)];
        }
        const uint32_t nodeLo = node + ax[n - 1].lo, nodeHi = node + ax[n - 1].hi;
        VCEColor& s = scratch[j / 2];
        for (int o = 0; o < outputs; ++o)
            s.channel[o] = static_cast<int32_t>(step(value(nodeLo, o), value(nodeHi, o), ax[n - 1].f) & mask);
    }
    uint32_t count = corners / 2;
    for (int k = n - 2; k >= 0; --k) {
        count /= 2;
        for (uint32_t t = 0; t < count; ++t)
            for (int o = 0; o < outputs; ++o)
                scratch[t].channel[o] = static_cast<int32_t>(
                    step(static_cast<uint32_t>(scratch[2 * t].channel[o]),
                         static_cast<uint32_t>(scratch[2 * t + 1].channel[o]), ax[k].f));
    }
    *out = scratch[0];
}

void CLUTInterpolator::interpolate(VCEColor* out, const VCEColor& in) const
{
    switch (modeCode) {
    case mode33c1b: interpo33c1b(out, in); break;
    case mode33c2b: interpo33c2b(out, in); break;
    case mode34c1b: interpo34c1b(out, in); break;
    case mode34c2b: interpo34c2b(out, in); break;
    case mode43c1b: interpo43c1b(out, in); break;
    case mode43c2b: interpo43c2b(out, in); break;
    case mode44c1b: interpo44c1b(out, in); break;
    case mode44c2b: interpo44c2b(out, in); break;
    default: interpoN(out, in); break;
    }
}

} // namespace vemora::cms
