#pragma once
// Multilinear interpolation in a colour lookup table (ICC CLUT order: the first input varies
// slowest), integer only. The common shapes (3 or 4 inputs, 3 or 4 outputs, 1- or 2-byte grid
// values) have fully unrolled members chosen by modeCode; interpoN serves every other shape.
#include "engine/vce_color.h"
#include "icc/clut.h"

#include <cstdint>
#include <vector>


namespace vemora::cms {

class CLUTInterpolator {
public:
    using VCEColor = vemICC::nsp_VCE::VCEColor;

    enum ModeCode {
        mode33c1b = 102,
        mode33c2b = 103,
        mode34c1b = 104,
        mode34c2b = 105,
        mode43c1b = 134,
        mode43c2b = 135,
        mode44c1b = 136,
        mode44c2b = 137,
    };

    CLUTInterpolator() = default;
    CLUTInterpolator(const CLUTInterpolator&) = default;
    CLUTInterpolator& operator=(const CLUTInterpolator&) = default;

    // The owner's set-up in one call: grid values (not owned; 16-bit values as uint16_t in
    // machine order), shape, and every derived field. False, nothing changed, for a shape that
    // cannot be interpolated (1 … 15 inputs and outputs, 2 … 256 points an axis).
    bool setup(const unsigned char* data, long inputs, long outputs, long valueBytes, const long* gridPoints);

    // Channels 0 … inputs - 1 of in (each 0 … 65536) to channels 0 … outputs - 1 of out; out may
    // be in. The unrolled members touch nothing else of out.
    void interpo33c1b(VCEColor* out, const VCEColor& in) const;
    void interpo33c2b(VCEColor* out, const VCEColor& in) const;
    void interpo34c1b(VCEColor* out, const VCEColor& in) const;
    void interpo34c2b(VCEColor* out, const VCEColor& in) const;
    void interpo43c1b(VCEColor* out, const VCEColor& in) const;
    void interpo43c2b(VCEColor* out, const VCEColor& in) const;
    void interpo44c1b(VCEColor* out, const VCEColor& in) const;
    void interpo44c2b(VCEColor* out, const VCEColor& in) const;
    // Any shape. Overwrites the whole of out.
    void interpoN(VCEColor* out, const VCEColor& in) const;
    // Dispatch on modeCode.
    void interpolate(VCEColor* out, const VCEColor& in) const;

    const unsigned char* data = nullptr;
    int32_t inputs = 0;
    int32_t outputs = 0;
    int32_t valueBytes = 2;
    int32_t vertexCount = 0;
    int32_t fracBits = 16;
    int32_t modeCode = 0;
    GridInfoGather gather;
    GridPointer pointer;
};

} // namespace vemora::cms
