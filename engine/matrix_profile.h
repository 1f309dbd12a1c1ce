#pragma once
// Matrix/TRC RGB profiles: three tone curves and a 3 × 3 matrix, all precomputed in fixed point.
// A conversion is three table lookups and one s15.16 matrix product.
#include "engine/base_profile.h"
#include "engine/tone_curve.h"

namespace vemora::cms::vemICC {
class Tag;
}

namespace vemora::cms::vemICC::nsp_VCE {

class MatrixProfile : public BaseProfile {
public:
    MatrixProfile() = default;

    void setProfile(const ICCProfile& p) override;
    void match(VCEColor* c) override;
    long getInputAccept() const override { return 3; }
    long getOutputAccept() const override { return 3; }
    long getAChannel() const override { return 3; }
    long getBChannel() const override { return 3; }
    void setMediaWhiteByChromaticAdaptation(bool on) override;

    void assignMatrix(const ICCProfile& p);
    static void getXYZByXYZType(double* xyz, const ICCProfile& p, unsigned long tagSignature);
    static void setAbsoluteMatrix(Fixed_Matrix33* fwd, Fixed_Matrix33* inv, const double* white, const double* r,
                                  const double* g, const double* b);
    static void convertMatrix33ToFixedMatrix33(const Matrix33& m, Fixed_Matrix33* out);
    static void assignCurve(TRCurve* fwd, TRCurve* inv, const Tag* tag);

    const TRCurve& forwardCurve(int i) const { return fwdTRC[i]; }
    const TRCurve& inverseCurve(int i) const { return invTRC[i]; }

    Fixed_Matrix33 fwdMatrix{}, invMatrix{};
    const Fixed_Matrix33* absFwd = &wtptFwd;
    const Fixed_Matrix33* absInv = &wtptInv;
    Fixed_Matrix33 wtptFwd{}, wtptInv{};
    Fixed_Matrix33 chadFwd{}, chadInv{};

private:
    TRCurve fwdTRC[3];
    TRCurve invTRC[3];
    const Fixed_Matrix33* curFwd = &fwdMatrix;
    const Fixed_Matrix33* curInv = &invMatrix;
};

} // namespace vemora::cms::vemICC::nsp_VCE
