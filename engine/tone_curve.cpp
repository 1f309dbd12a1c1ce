#include "engine/tone_curve.h"

#include "icc/types/curve_types.h"

#include <algorithm>
#include <cmath>

namespace vemora {

template <class P>
long PointTable<P>::insert(const P& p)
{
    auto it = std::lower_bound(points_.begin(), points_.end(), p, [](const P& a, const P& b) { return a.x < b.x; });
    if (it != points_.end() && it->x == p.x)
        return -1;
    const long index = static_cast<long>(it - points_.begin());
    points_.insert(it, p);
    return index;
}

template <class P>
void PointTable<P>::getRange(double x, P& lo, P& hi) const
{
    auto it = std::lower_bound(points_.begin(), points_.end(), x, [](const P& a, double v) { return a.x < v; });
    if (it == points_.begin()) {
        lo = points_[0];
        hi = points_[1];
    } else if (it == points_.end()) {
        lo = points_[points_.size() - 2];
        hi = points_[points_.size() - 1];
    } else {
        hi = *it;
        lo = *(it - 1);
    }
}

template class PointTable<dxPoint>;

} // namespace vemora

namespace vemora::cms::vemICC::nsp_VCE {

namespace {

using Points = std::vector<dxPoint>;

// y in 0 … 1 scaled to the table's maximum, rounded; a value outside (a hostile exponent can
// give infinity or NaN) is held to the curve's range first.
uint32_t toEntry(double y, int32_t maxValue)
{
    if (!(y > 0.0))
        y = 0.0;
    else if (y > 1.0)
        y = 1.0;
    return static_cast<uint32_t>(static_cast<long>(y * maxValue + 0.5));
}

bool hasX(const Points& pts, double x)
{
    return std::any_of(pts.begin(), pts.end(), [x](const dxPoint& p) { return p.x == x; });
}

// Samples the piecewise-linear curve through the points into the table; (0, 0) and (1, 1) are
// added where the curve has no point at 0 or 1.
void sampleInto(TRCurve* curve, Points pts)
{
    PointTable<dxPoint> table;
    for (const auto& p : pts)
        table.insert(p);
    if (!hasX(pts, 0.0))
        table.insert(dxPoint(0.0, 0.0));
    if (!hasX(pts, 1.0))
        table.insert(dxPoint(1.0, 1.0));
    const int n = curve->size;
    for (int k = 0; k < n; ++k) {
        const double x = n > 1 ? static_cast<double>(k) / (n - 1) : 0.0;
        dxPoint lo, hi;
        table.getRange(x, lo, hi);
        const double t = (x - lo.x) / (hi.x - lo.x);
        curve->table[static_cast<std::size_t>(k)] = toEntry(Linear_Interpo(t, lo.y, hi.y), curve->maxValue);
    }
}

// Clips to the unit square, sorts by x (first of equal x wins) and makes y strictly rising;
// everything after the first y of 1.0 is dropped.
Points monotonise(const Points& in)
{
    PointTable<dxPoint> table;
    for (const auto& p : in)
        table.insert(dxPoint(std::clamp(p.x, 0.0, 1.0), std::clamp(p.y, 0.0, 1.0)));
    Points out;
    for (const auto& p : table.points()) {
        if (out.empty()) {
            out.push_back(p);
        } else {
            dxPoint q = p;
            const double prev = out.back().y;
            if (q.y <= prev)
                q.y = prev <= 0.999999999 ? prev + 1e-9 : 1.0;
            out.push_back(q);
        }
        if (out.back().y == 1.0)
            break;
    }
    return out;
}

void buildFromPoints(TRCurve* forward, TRCurve* inverse, Points pts)
{
    if (inverse && !pts.empty())
        pts = monotonise(pts);
    if (forward)
        sampleInto(forward, pts);
    if (!inverse)
        return;
    Points swapped;
    for (const auto& p : pts) {
        dxPoint s(p.y, p.x);
        if (!swapped.empty() && s.x <= swapped.back().x)
            s.x = swapped.back().x + 1e-9;
        swapped.push_back(s);
    }
    sampleInto(inverse, swapped);
}

void fillGamma(TRCurve* c, double gamma)
{
    const int n = c->size;
    for (int i = 0; i < n; ++i)
        c->table[static_cast<std::size_t>(i)] = toEntry(std::pow(static_cast<double>(i) / (n - 1), gamma), c->maxValue);
}

} // namespace

void getTRCurveByGamma(TRCurve* forward, TRCurve* inverse, double gamma)
{
    if (forward)
        fillGamma(forward, gamma);
    if (inverse)
        fillGamma(inverse, 1.0 / gamma);
}

bool getTRCurveByParameterCurve(TRCurve* forward, TRCurve* inverse, long type, const std::vector<double>& p)
{
    static const std::size_t counts[5] = {1, 3, 4, 5, 7};
    if (type < 0 || type > 4 || p.size() != counts[type] || !forward)
        return false;
    const int n = forward->size;
    Points pts;
    pts.reserve(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const double x = static_cast<double>(j) / (n - 1);
        const double g = p[0];
        double y = 0.0;
        switch (type) {
        case 0:
            y = std::pow(x, g);
            break;
        case 1: {
            const double v = p[1] * x + p[2];
            y = (x >= -p[2] / p[1] && v > 0) ? std::pow(v, g) : 0.0;
            break;
        }
        // Where a x + b is exactly 0 the curve is its offset (0^g + c), not 0: black keeps
        // the offset the profile gives it.
        case 2: {
            const double v = p[1] * x + p[2];
            y = x < -p[2] / p[1] ? p[3] : v >= 0 ? std::pow(v, g) + p[3] : 0.0;
            break;
        }
        case 3: {
            const double v = p[1] * x + p[2];
            y = x < p[4] ? p[3] * x : v > 0 ? std::pow(v, g) : 0.0;
            break;
        }
        case 4: {
            const double v = p[1] * x + p[2];
            y = x < p[4] ? p[3] * x + p[6] : v >= 0 ? std::pow(v, g) + p[5] : 0.0;
            break;
        }
        }
        // A NaN (a of 0, or a hostile exponent) becomes 0 rather than poisoning the table.
        y = std::isnan(y) ? 0.0 : std::clamp(y, 0.0, 1.0);
        pts.emplace_back(x, y);
    }
    buildFromPoints(forward, inverse, pts);
    return true;
}

void getTRCurveBySamples(TRCurve* forward, TRCurve* inverse, const std::vector<double>& values, double start,
                         double span)
{
    const std::size_t n = values.size();
    Points pts;
    if (n >= 2 && span != 0.0) {
        for (std::size_t i = 0; i < n; ++i) {
            const double x = static_cast<double>(i) / (n - 1);
            double h = (x - start) / span * (n - 1);
            h = std::clamp(h, 0.0, static_cast<double>(n - 1));
            const std::size_t k = static_cast<std::size_t>(h);
            const std::size_t k1 = k + 1 >= n ? n - 1 : k + 1;
            pts.emplace_back(x, values[k] + (h - k) * (values[k1] - values[k]));
        }
    } else if (n == 1) {
        pts.emplace_back(0.0, values[0]);
    }
    buildFromPoints(forward, inverse, pts);
}

void getTRCurveByCurveTable(TRCurve* forward, TRCurve* inverse, const CurveTable& table)
{
    getTRCurveBySamples(forward, inverse, table.values, table.domainStart, table.domainLength);
}

void getTRCurveByCurveType(TRCurve* forward, TRCurve* inverse, const CurveType& curve)
{
    if (curve.kind == CurveType::kindTable)
        getTRCurveByCurveTable(forward, inverse, curve.points);
    else
        getTRCurveByGamma(forward, inverse, curve.kind == CurveType::kindIdentity ? 1.0 : curve.gamma);
}

} // namespace vemora::cms::vemICC::nsp_VCE
