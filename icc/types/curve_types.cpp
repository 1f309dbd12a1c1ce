#include "icc/types/curve_types.h"

#include <cmath>
#include <cstdio>

namespace vemora {
namespace cms {
namespace vemICC {

// ---- CurveType ('curv') ----

void CurveType::read(dxStream& s, long, const Header*)
{
    runWrapped(-6627, "CurveType read error", [&] {
        const unsigned long count = read_uInt32Number(s);
        if (count == 0) {
            kind = kindIdentity;
            gamma = 1.0;
        } else if (count == 1) {
            kind = kindGamma;
            gamma = read_u8Fixed8Number(s);
        } else {
            kind = kindTable;
            requireBytes(s, 2ULL * count);
            std::vector<unsigned char> bytes(2 * static_cast<std::size_t>(count));
            s.read_byte(bytes.data(), static_cast<unsigned long>(bytes.size()));
            points.values.resize(count);
            for (unsigned long i = 0; i < count; ++i)
                points.values[i] = static_cast<double>(read_uInt16Number(&bytes[2 * i])) / 65535.0;
            points.domainStart = 0.0;
            points.domainLength = 1.0;
        }
    });
}

void CurveType::write(dxStream& s) const
{
    runWrapped(-6626, "CurveType write error", [&] {
        if (kind == kindIdentity) {
            write_uInt32Number(s, 0);
        } else if (kind == kindGamma) {
            write_uInt32Number(s, 1);
            write_u8Fixed8Number(s, gamma);
        } else if (kind == kindTable) {
            write_uInt32Number(s, static_cast<unsigned long>(points.values.size()));
            for (double v : points.values) {
                const double scaled = v * 65535.0 + 0.5;
                // Below zero (or NaN) is as much out of range as above 65535.
                if (!(scaled >= 0.0))
                    throw BufferStream::Exception{1};
                write_uInt16Number(s, static_cast<unsigned long>(scaled));
            }
        }
    });
}

bool CurveType::isLinear() const
{
    return kind == kindTable ? isCurveTableLinear(points) : gamma == 1.0;
}

void CurveType::debugShow() const
{
    std::printf("Type: CurveType\n");
    if (kind == kindTable)
        std::printf("      Curve Point Count: %d\n", static_cast<int>(points.values.size()));
    else
        std::printf("      Gamma: %f\n", gamma);
}

// ---- ParameterCurveType ('para') ----

long ParameterCurveType::getParamaterCountByFunction(long f)
{
    static const long counts[5] = {1, 3, 4, 5, 7};
    return f >= 0 && f <= 4 ? counts[f] : 0;
}

void ParameterCurveType::read(dxStream& s, long, const Header*)
{
    runWrapped(-6636, "ParameterCurveType read error", [&] {
        function = static_cast<long>(read_uInt16Number(s));
        readReserved(s, 2);
        parameters.clear();
        const long n = getParameterCount();
        for (long i = 0; i < n; ++i)
            parameters.push_back(read_s15Fixed16Number(s));
    });
}

void ParameterCurveType::write(dxStream& s) const
{
    runWrapped(-6635, "ParameterCurveType write error", [&] {
        write_uInt16Number(s, static_cast<unsigned long>(function));
        writeReserved(s, 2);
        for (double p : parameters)
            write_s15Fixed16Number(s, p);
    });
}

bool ParameterCurveType::isLinear() const
{
    return function == 0 && !parameters.empty() && parameters[0] == 1.0;
}

void ParameterCurveType::debugShow() const
{
    std::printf("Type: ParameterCurveType\n");
    std::printf("      Function: %d\n", static_cast<int>(function));
    std::printf("      ");
    for (double p : parameters)
        std::printf("%f  ", p);
}

// ---- VideoCardGammaType ('vcgt') ----

VideoCardGammaType::VideoCardGammaType() : ICCType(sig("vcgt")), gamma{1, 1, 1}, minimum{0, 0, 0}, maximum{1, 1, 1}
{
}

VideoCardGammaType::VideoCardGammaType(const VideoCardGammaType& o)
    : ICCType(o), isFormula(o.isFormula), entrySize(o.entrySize), tables(o.tables),
      gamma{o.gamma[0], o.gamma[1], o.gamma[2]}, minimum{o.minimum[0], o.minimum[1], o.minimum[2]},
      maximum{o.maximum[0], o.maximum[1], o.maximum[2]}
{
}

void VideoCardGammaType::setFormula(double g, double lo, double hi, unsigned long channel)
{
    if (channel > 2)
        return;
    gamma[channel] = g;
    minimum[channel] = lo;
    maximum[channel] = hi;
    isFormula = 1;
}

unsigned long VideoCardGammaType::getValueBound(unsigned long size)
{
    switch (size) {
    case 1:
        return 255UL;
    case 2:
        return 65535UL;
    case 4:
        return 4294967295UL;
    default:
        throw ExceptionDebuggErrorID(-6628, "VideoCardGammaTag getValueBound over range error");
    }
}

void VideoCardGammaType::read(dxStream& s, long, const Header*)
{
    runWrapped(-6630, "VideoCardGammaTag read error", [&] {
        isFormula = static_cast<long>(read_uInt32Number(s));
        if (isFormula) {
            for (int c = 0; c < 3; ++c) {
                gamma[c] = read_s15Fixed16Number(s);
                minimum[c] = read_s15Fixed16Number(s);
                maximum[c] = read_s15Fixed16Number(s);
            }
            return;
        }
        const unsigned long channels = read_uInt16Number(s);
        const unsigned long entries = read_uInt16Number(s);
        entrySize = static_cast<long>(read_uInt16Number(s));
        const double bound = static_cast<double>(getValueBound(static_cast<unsigned long>(entrySize)));
        const unsigned long long n = 1ULL * channels * entries * static_cast<unsigned long>(entrySize);
        // Every channel is a table of at least one byte's worth in a real element; bounding by
        // the channel count too keeps a table of empty channels from outgrowing the element.
        requireBytes(s, n > channels ? n : channels);
        std::vector<unsigned char> bytes(static_cast<std::size_t>(n));
        if (n)
            s.read_byte(bytes.data(), static_cast<unsigned long>(n));
        tables.assign(channels, CurveTable());
        const std::size_t width = static_cast<std::size_t>(entrySize);
        for (unsigned long j = 0; j < channels; ++j) {
            tables[j].values.resize(entries);
            for (unsigned long k = 0; k < entries; ++k) {
                const unsigned char* p = &bytes[(j * entries + k) * width];
                unsigned long long v = 0;
                for (std::size_t b = 0; b < width; ++b)
                    v = (v << 8) | p[b];
                tables[j].values[k] = static_cast<double>(v) / bound;
            }
        }
    });
}

void VideoCardGammaType::write(dxStream& s) const
{
    runWrapped(-6629, "VideoCardGammaTag write error", [&] {
        if (isFormula) {
            write_uInt32Number(s, 1);
            for (int c = 0; c < 3; ++c) {
                write_s15Fixed16Number(s, gamma[c]);
                write_s15Fixed16Number(s, minimum[c]);
                write_s15Fixed16Number(s, maximum[c]);
            }
            return;
        }
        write_uInt32Number(s, 0);
        write_uInt16Number(s, static_cast<unsigned long>(tables.size()));
        write_uInt16Number(s, tables.empty() ? 0 : static_cast<unsigned long>(tables[0].values.size()));
        write_uInt16Number(s, static_cast<unsigned long>(entrySize));
        const double bound = static_cast<double>(getValueBound(static_cast<unsigned long>(entrySize)));
        const int width = static_cast<int>(entrySize);
        for (const CurveTable& t : tables) {
            for (double v : t.values) {
                const double scaled = v * bound + 0.5;
                if (!(scaled >= 0.0 && scaled < bound + 1.0))
                    throw BufferStream::Exception{1};
                const auto raw = static_cast<unsigned long long>(scaled);
                unsigned char b[4];
                for (int i = 0; i < width; ++i)
                    b[i] = static_cast<unsigned char>(raw >> (8 * (width - 1 - i)));
                s.write_byte(b, static_cast<unsigned long>(width));
            }
        }
    });
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
