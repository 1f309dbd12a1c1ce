#include "icc/clut.h"

#include "foundation/exception.h"

#include <cstring>

namespace vemora {

void GridInfoGather::assign(const long* gridPoints, long n, long inBits, long fracBits)
{
    count = static_cast<int32_t>(n);
    inputBits = static_cast<int32_t>(inBits);
    fractionBits = static_cast<int32_t>(fracBits);
    inputScale = static_cast<int32_t>(1L << inBits);
    bitShift = static_cast<int32_t>(fracBits - inBits);
    maxIndex.assign(static_cast<std::size_t>(n > 0 ? n : 0), 0);
    for (long k = 0; k < n; ++k)
        maxIndex[static_cast<std::size_t>(k)] = static_cast<uint32_t>(gridPoints[k] - 1);
    uint32_t* copies[4] = {&maxIndex0, &maxIndex1, &maxIndex2, &maxIndex3};
    for (long k = 0; k < n && k < 4; ++k)
        *copies[k] = maxIndex[static_cast<std::size_t>(k)];
}

void GridPointer::assign(const long* points, long n)
{
    gridPoints.assign(points, points + (n > 0 ? n : 0));
    strides.assign(static_cast<std::size_t>(n > 1 ? n - 1 : 0), 0);
    for (long k = n - 2; k >= 0; --k) {
        const uint32_t below = k == n - 2 ? 1u : strides[static_cast<std::size_t>(k + 1)];
        strides[static_cast<std::size_t>(k)] = below * gridPoints[static_cast<std::size_t>(k + 1)];
    }
    nodeCount = n > 1 ? strides[0] * gridPoints[0] : (n == 1 ? gridPoints[0] : 0);
    uint32_t* copies[3] = {&stride0, &stride1, &stride2};
    for (long k = 0; k < n - 1 && k < 3; ++k)
        *copies[k] = strides[static_cast<std::size_t>(k)];
}

namespace cms {

dxICC_CLUT::dxICC_CLUT(const dxICC_CLUT& o)
{
    *this = o;
}

dxICC_CLUT& dxICC_CLUT::operator=(const dxICC_CLUT& o)
{
    if (this == &o)
        return *this;
    data = o.data;
    bytesPerEntry = o.bytesPerEntry;
    inputCount = o.inputCount;
    outputCount = o.outputCount;
    eightBits = o.eightBits;
    inputMode = o.inputMode;
    outputMode = o.outputMode;
    version = o.version;
    pointCount = o.pointCount;
    std::memcpy(range, o.range, sizeof range);
    gridCounts = o.gridCounts;
    strides = o.strides;
    stride0 = o.stride0;
    stride1 = o.stride1;
    stride2 = o.stride2;
    interpInputs = o.interpInputs;
    interpOutputs = o.interpOutputs;
    interpValueBytes = o.interpValueBytes;
    interpFracBits = o.interpFracBits;
    gather = o.gather;
    pointer = o.pointer;
    cornerCount = o.cornerCount;
    kernelKey = o.kernelKey;
    // The copy interpolates its own grid.
    interpData = o.interpData ? data.data() : nullptr;
    return *this;
}

unsigned long long dxICC_CLUT::tableByteSize(bool is8Bits, const unsigned long* counts, long inputs, long outputs)
{
    if (inputs < 1 || inputs > maxChannels || outputs < 1 || outputs > 255)
        return 0;
    const unsigned long long limit = 0x7FFFFFFFULL;
    unsigned long long size = static_cast<unsigned long long>(outputs) * (is8Bits ? 1 : 2);
    for (long i = 0; i < inputs; ++i) {
        if (counts[i] == 0 || counts[i] > 255)
            return 0;
        size *= counts[i];
        // Checked at every axis, so the product cannot wrap.
        if (size > limit)
            return 0;
    }
    return size;
}

void dxICC_CLUT::init(bool is8, unsigned long gridCount, ColorMode inMode, ColorMode outMode, long inputs,
                      long outputs, vemICC::Version v)
{
    unsigned long counts[maxChannels];
    for (unsigned long& c : counts)
        c = gridCount;
    init(is8, counts, inMode, outMode, inputs > maxChannels ? maxChannels + 1 : inputs, outputs, v);
}

void dxICC_CLUT::init(bool is8, const unsigned long* counts, ColorMode inMode, ColorMode outMode, long inputs,
                      long outputs, vemICC::Version v)
{
    // A shape that is no table would make the strides and the size below meaningless.
    if (tableByteSize(is8, counts, inputs, outputs) == 0)
        throw ExceptionDebuggErrorID(-6802, "dxICC_CLUT::init error");
    eightBits = is8;
    inputMode = inMode;
    outputMode = outMode;
    version = v;
    inputCount = inputs;
    outputCount = outputs;
    gridCounts.assign(counts, counts + inputs);

    strides.assign(static_cast<std::size_t>(inputs - 1), 0);
    for (long i = inputs - 2; i >= 0; --i) {
        const unsigned long below = i == inputs - 2 ? 1 : strides[static_cast<std::size_t>(i + 1)];
        strides[static_cast<std::size_t>(i)] = below * gridCounts[static_cast<std::size_t>(i + 1)];
    }
    stride0 = inputs > 1 ? static_cast<long>(strides[0]) : 0;
    stride1 = inputs > 2 ? static_cast<long>(strides[1]) : 0;
    stride2 = inputs > 3 ? static_cast<long>(strides[2]) : 0;
    pointCount = 1;
    for (unsigned long c : gridCounts)
        pointCount *= c;

    std::memset(range, 0, sizeof range);
    switch (inMode) {
    case colorModeRGB:
        setRangeByChannel(0, 1, 0, 2);
        break;
    case colorModeCMYK:
        setRangeByChannel(0, 1, 0, 3);
        break;
    case colorModeLab:
        setRangeByChannel(0, 100, 0, 0);
        if (v == vemICC::iccV2 && !is8)
            setRangeByChannel(-128, 127.99609375, 1, 2);
        else
            setRangeByChannel(-128, 127, 1, 2);
        break;
    case colorModeXYZ:
        setRangeByChannel(0, 65535.0 / 32768.0, 0, 2);
        break;
    default:
        setRangeByChannel(0, 1, 0, static_cast<unsigned long>(inputs - 1));
        break;
    }

    bytesPerEntry = is8 ? 1 : 2;
    data.assign(getCLUTByteSize(), 0);
    setupInterpolator();
}

void dxICC_CLUT::setupInterpolator()
{
    interpData = data.data();
    interpInputs = inputCount;
    interpOutputs = outputCount;
    interpValueBytes = bytesPerEntry;
    interpFracBits = 16;
    std::vector<long> points(gridCounts.begin(), gridCounts.end());
    gather.assign(points.data(), inputCount, 16, 16);
    pointer.assign(points.data(), inputCount);
    cornerCount = 1L << inputCount;
    kernelKey = inputCount * 32 + outputCount * 2 + bytesPerEntry - 1;
}

void dxICC_CLUT::setRangeByChannel(double minimum, double maximum, unsigned long first, unsigned long last)
{
    for (unsigned long c = first; c <= last && c < static_cast<unsigned long>(maxChannels); ++c) {
        range[c][0] = minimum;
        range[c][1] = maximum;
    }
}

void dxICC_CLUT::iccRead(dxStream& s)
{
    try {
        const unsigned long n = getCLUTByteSize();
        requireBytes(s, n);
        if (n)
            s.read_byte(data.data(), n);
        if (bytesPerEntry == 2) {
            for (unsigned long i = 0; i + 1 < n; i += 2) {
                unsigned short v = 0;
                s.buffer2_to_Uint2(&data[i], &v);
                std::memcpy(&data[i], &v, 2);
            }
        }
    } catch (...) {
        throw ExceptionDebuggErrorID(-6801, "dxICC_CLUT::iccRead error");
    }
}

void dxICC_CLUT::iccWrite(dxStream& s) const
{
    try {
        if (bytesPerEntry != 2) {
            if (!data.empty())
                s.write_byte(data.data(), static_cast<unsigned long>(data.size()));
            return;
        }
        std::vector<unsigned char> copy(data.size());
        const bool big = s.getByteOrder() == dxStream::bigEndian;
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            unsigned short v = 0;
            std::memcpy(&v, &data[i], 2);
            copy[i] = static_cast<unsigned char>(big ? v >> 8 : v);
            copy[i + 1] = static_cast<unsigned char>(big ? v : v >> 8);
        }
        if (!copy.empty())
            s.write_byte(copy.data(), static_cast<unsigned long>(copy.size()));
    } catch (...) {
        throw ExceptionDebuggErrorID(-6800, "dxICC_CLUT::iccWrite error");
    }
}

} // namespace cms
} // namespace vemora
