#pragma once
// Black point compensation: a per-channel linear map in XYZ that moves one black point onto
// another and keeps the D50 white, computed in doubles and applied in s15.16.
#include "engine/base_profile.h"

namespace vemora::cms::vemICC::nsp_VCE {

class BlackPointCompensation {
public:
    // An identity map until init: a compensation that was never set up changes nothing.
    BlackPointCompensation()
    {
        for (int i = 0; i < 9; ++i)
            factor.m[i] = i % 4 == 0 ? 65536 : 0;
    }

    // The black point of the profile for the intent, XYZ relative to D50 (white Y = 1).
    static void estimateBlackPoint(double* xyz, BaseProfile* profile, Intent intent);
    static void calc_BPC_factor(Matrix33* factor, double* offset, const double* w1, const double* b1, const double* w2,
                                const double* w3, const double* b2, const double* w4);

    void init(const double* sourceBlack, const double* targetBlack);
    void init(BaseProfile* source, Intent sourceIntent, BaseProfile* target, Intent targetIntent);

    // (X', Y', Z') = factor · (X, Y, Z) + offset, each held to -0.5 … 3.5.
    void apply(VCEColor* c) const;

    Fixed_Matrix33 factor;
    int32_t offset[3] = {0, 0, 0};
};

} // namespace vemora::cms::vemICC::nsp_VCE
