#pragma once
// A sampled one-dimensional curve: values equally spaced over the input interval
// [domainStart, domainStart + domainLength], normalised to 0..1.
#include <cmath>
#include <cstddef>
#include <vector>

namespace vemora {

struct CurveTable {
    std::vector<double> values;
    double domainStart = 0.0;
    double domainLength = 1.0;
};

// True when every sample i of n lies within 1/255 of the identity i / (n - 1).
inline bool isCurveTableLinear(const CurveTable& table)
{
    const std::size_t n = table.values.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double ideal = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
        if (std::fabs(table.values[i] - ideal) > 1.0 / 255.0)
            return false;
    }
    return true;
}

} // namespace vemora
