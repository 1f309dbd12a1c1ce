#pragma once
// The multidimensional colour table of the ICC LUT types ('mft1', 'mft2', 'mAB ', 'mBA '), with
// the grid description the integer interpolator of the colour engine works from.
#include "foundation/stream.h"
#include "icc/color_mode.h"
#include "icc/encodings.h"

#include <vector>

namespace vemora {

// Per input: grid index range and the fixed-point widths of input values and fractions.
struct GridInfoGather {
    void assign(const long* gridPoints, long count, long inputBits, long fractionBits);

    int32_t count = 0;
    int32_t inputBits = 16;
    int32_t fractionBits = 16;
    int32_t inputScale = 1 << 16;
    int32_t bitShift = 0;
    std::vector<uint32_t> maxIndex;
    uint32_t maxIndex0 = 0, maxIndex1 = 0, maxIndex2 = 0, maxIndex3 = 0;
};

// Grid points per input and the strides of the ICC grid order (first input slowest).
struct GridPointer {
    void assign(const long* gridPoints, long count);

    std::vector<uint32_t> gridPoints;
    std::vector<uint32_t> strides;
    uint32_t nodeCount = 0;
    uint32_t stride0 = 0, stride1 = 0, stride2 = 0;
};

namespace cms {

class dxICC_CLUT {
public:
    // The ICC format allows no more input channels than this.
    static constexpr long maxChannels = 15;

    dxICC_CLUT() = default;
    dxICC_CLUT(const dxICC_CLUT& o);
    dxICC_CLUT& operator=(const dxICC_CLUT& o);

    void init(bool is8Bits, unsigned long gridCount, ColorMode inputMode, ColorMode outputMode, long inputCount,
              long outputCount, vemICC::Version version);
    void init(bool is8Bits, const unsigned long* gridCounts, ColorMode inputMode, ColorMode outputMode,
              long inputCount, long outputCount, vemICC::Version version);

    // Bytes of a table of this shape, or 0 when the shape is not a table (no channels, more
    // than 15 inputs, an empty axis) or the size does not fit in 32 bits. Readers check it
    // against the element before init allocates anything.
    static unsigned long long tableByteSize(bool is8Bits, const unsigned long* gridCounts, long inputCount,
                                            long outputCount);

    long getBytePerChannel() const { return bytesPerEntry; }
    long getConnectChannelCount() const { return inputCount; }
    long getStoreChannelCount() const { return outputCount; }
    unsigned long getGridCount(unsigned long axis) const { return axis < gridCounts.size() ? gridCounts[axis] : 0; }
    bool is8Bits() const { return eightBits; }
    unsigned long getCLUTByteSize() const
    {
        return static_cast<unsigned long>(bytesPerEntry) * static_cast<unsigned long>(outputCount) * pointCount;
    }

    void setRangeByChannel(double minimum, double maximum, unsigned long first, unsigned long last);

    void iccRead(dxStream& s);
    void iccWrite(dxStream& s) const;

    // The table: 8-bit tables one byte per entry, 16-bit tables one native uint16 per entry.
    std::vector<unsigned char> data;
    long bytesPerEntry = 0;
    long inputCount = 0;
    long outputCount = 0;
    bool eightBits = false;
    ColorMode inputMode = colorModeUndefined;
    ColorMode outputMode = colorModeUndefined;
    vemICC::Version version = vemICC::iccV2;
    unsigned long pointCount = 0;
    double range[maxChannels][2] = {};
    std::vector<unsigned long> gridCounts;
    std::vector<unsigned long> strides;
    long stride0 = 0, stride1 = 0, stride2 = 0;

    // Prepared once for the interpolator.
    const unsigned char* interpData = nullptr;
    long interpInputs = 0;
    long interpOutputs = 0;
    long interpValueBytes = 0;
    long interpFracBits = 16;
    GridInfoGather gather;
    GridPointer pointer;
    long cornerCount = 0;
    long kernelKey = 0;

private:
    void setupInterpolator();
};

} // namespace cms
} // namespace vemora
