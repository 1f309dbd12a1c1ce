#pragma once
// Tone curves as lookup tables of 16-bit results, and their numeric inverses. Curves are built
// once, when a profile is set up; applying one is a single table lookup.
#include "foundation/vertex.h"

#include <cstdint>
#include <vector>

namespace vemora {

// Points kept sorted by x; of several points with one x only the first stays.
template <class P>
class PointTable {
public:
    // The index of the inserted point, or -1 when a point with that x is already there.
    long insert(const P& p);
    // The segment to interpolate or extrapolate at x; needs at least two points.
    void getRange(double x, P& lo, P& hi) const;

    const std::vector<P>& points() const { return points_; }
    std::size_t size() const { return points_.size(); }

private:
    std::vector<P> points_;
};

inline double Linear_Interpo(double t, double p, double q)
{
    return p + t * (q - p);
}

} // namespace vemora

#include "icc/curve_table.h"

namespace vemora::cms::vemICC {
class CurveType;
}

namespace vemora::cms::vemICC::nsp_VCE {

struct TRCurve {
    int32_t indexBits = 0;
    int32_t valueBits = 16;
    int32_t size = 0;
    int32_t maxValue = 65535;
    std::vector<uint32_t> table;

    // Sets the four numbers and a zero-filled table: 15 index bits for matrix profiles (32768
    // entries), 12 for LUT curves (4096).
    void prepare(int bits)
    {
        indexBits = bits;
        valueBits = 16;
        size = 1 << bits;
        maxValue = 65535;
        table.assign(static_cast<std::size_t>(size), 0);
    }
    uint32_t apply(uint32_t v) const { return table[v >> (16 - indexBits)]; }
};

void getTRCurveByGamma(TRCurve* forward, TRCurve* inverse, double gamma);
// Function types 0 … 4 of the ICC parametricCurveType with 1, 3, 4, 5 or 7 parameters
// (g, a, b, c, d, e, f); false, tables untouched, otherwise. forward must not be null.
bool getTRCurveByParameterCurve(TRCurve* forward, TRCurve* inverse, long type, const std::vector<double>& params);
void getTRCurveByCurveTable(TRCurve* forward, TRCurve* inverse, const CurveTable& table);
// A sampled curve through its table; no entries (identity) or one entry (a gamma) as a gamma.
void getTRCurveByCurveType(TRCurve* forward, TRCurve* inverse, const CurveType& curve);
// Samples normalised to 0 … 1, covering start … start + span of the input.
void getTRCurveBySamples(TRCurve* forward, TRCurve* inverse, const std::vector<double>& values, double start,
                         double span);

} // namespace vemora::cms::vemICC::nsp_VCE
