#include "engine/matrix_profile.h"

#include "icc/profile.h"
#include "icc/types/basic_types.h"
#include "icc/types/curve_types.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace vemora::cms::vemICC::nsp_VCE {

BaseProfile::Exception::Exception(int32_t c) : code(c)
{
    std::printf("BaseProfile exception: %d\n", static_cast<int>(c));
    std::fflush(stdout);
}

namespace {

Matrix33 columns(const double* r, const double* g, const double* b)
{
    return Matrix33(r[0], g[0], b[0], r[1], g[1], b[1], r[2], g[2], b[2]);
}

} // namespace

void MatrixProfile::convertMatrix33ToFixedMatrix33(const Matrix33& m, Fixed_Matrix33* out)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            // A singular matrix gives infinities; they saturate rather than reach an undefined
            // conversion.
            const double v = m(i, j) * 65536.0;
            out->m[3 * j + i] = !(v == v) ? 0 : v >= 2147483647.0 ? INT32_MAX : v <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(v);
        }
}

void MatrixProfile::getXYZByXYZType(double* xyz, const ICCProfile& p, unsigned long tagSignature)
{
    const Tag* tag = p.getTagById(Signature(tagSignature));
    if (!tag)
        throw Exception(3);
    const ICCType* type = tag->getImplement();
    if (!type)
        throw Exception(4);
    const auto* x = type->getTypeSignature().get() == sig("XYZ ") ? dynamic_cast<const XYZType*>(type) : nullptr;
    if (!x)
        throw Exception(5);
    xyz[0] = x->X;
    xyz[1] = x->Y;
    xyz[2] = x->Z;
}

void MatrixProfile::setAbsoluteMatrix(Fixed_Matrix33* fwd, Fixed_Matrix33* inv, const double* w, const double* r,
                                      const double* g, const double* b)
{
    const double s[3] = {w[0] / kD50[0], w[1] / kD50[1], w[2] / kD50[2]};
    const double rs[3] = {r[0] * s[0], r[1] * s[1], r[2] * s[2]};
    const double gs[3] = {g[0] * s[0], g[1] * s[1], g[2] * s[2]};
    const double bs[3] = {b[0] * s[0], b[1] * s[1], b[2] * s[2]};
    const Matrix33 a = columns(rs, gs, bs);
    Matrix33 ai;
    Matrix_Inverse(ai, a);
    convertMatrix33ToFixedMatrix33(a, fwd);
    convertMatrix33ToFixedMatrix33(ai, inv);
}

void MatrixProfile::assignMatrix(const ICCProfile& p)
{
    double w[3], r[3], g[3], b[3];
    getXYZByXYZType(w, p, sig("wtpt"));
    if (hasPCSMediaWhite(p.header))
        std::copy(kD50, kD50 + 3, w);
    getXYZByXYZType(r, p, sig("rXYZ"));
    getXYZByXYZType(g, p, sig("gXYZ"));
    getXYZByXYZType(b, p, sig("bXYZ"));
    const Matrix33 m = columns(r, g, b);
    Matrix33 mi;
    Matrix_Inverse(mi, m);
    convertMatrix33ToFixedMatrix33(m, &fwdMatrix);
    convertMatrix33ToFixedMatrix33(mi, &invMatrix);
    setAbsoluteMatrix(&wtptFwd, &wtptInv, w, r, g, b);
    chadFwd = wtptFwd;
    chadInv = wtptInv;
    const Tag* chad = p.getTagById(Signature(sig("chad")));
    const ICCType* type = chad ? chad->getImplement() : nullptr;
    const auto* arr = type && type->getTypeSignature().get() == sig("sf32") ? dynamic_cast<const S15Fixed16ArrayType*>(type) : nullptr;
    if (arr && arr->values.size() > 8) {
        const std::vector<double>& v = arr->values;
        const Matrix33 mc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
        Matrix33 mci;
        Matrix_Inverse(mci, mc);
        double white[3];
        D3_Vertex_hmup_Matrix(white, kD50, mci);
        setAbsoluteMatrix(&chadFwd, &chadInv, white, r, g, b);
    }
}

void MatrixProfile::assignCurve(TRCurve* fwd, TRCurve* inv, const Tag* tag)
{
    // A missing TRC cannot be read: it fails like a curve without a type.
    const ICCType* type = tag ? tag->getImplement() : nullptr;
    if (!type)
        throw Exception(0);
    const unsigned long s = type->getTypeSignature().get();
    if (s == sig("curv")) {
        const auto* c = dynamic_cast<const CurveType*>(type);
        if (!c)
            throw Exception(1);
        getTRCurveByCurveType(fwd, inv, *c);
    } else if (s == sig("para")) {
        const auto* c = dynamic_cast<const ParameterCurveType*>(type);
        if (!c)
            throw Exception(1);
        getTRCurveByParameterCurve(fwd, inv, c->function, c->parameters);
    } else {
        throw Exception(1);
    }
}

void MatrixProfile::setProfile(const ICCProfile& p)
{
    try {
        assignMatrix(p);
        for (int i = 0; i < 3; ++i) {
            fwdTRC[i].prepare(15);
            invTRC[i].prepare(15);
        }
        static const unsigned long trc[3] = {sig("rTRC"), sig("gTRC"), sig("bTRC")};
        for (int i = 0; i < 3; ++i)
            assignCurve(&fwdTRC[i], &invTRC[i], p.getTagById(Signature(trc[i])));
        setMediaWhiteByChromaticAdaptation(false);
        dcsColor = p.header.getDCSColor();
        pcsColor = p.header.getPCSColor();
    } catch (...) {
        throw Exception(2);
    }
}

void MatrixProfile::setMediaWhiteByChromaticAdaptation(bool on)
{
    useChadWhite = on;
    absFwd = on ? &chadFwd : &wtptFwd;
    absInv = on ? &chadInv : &wtptInv;
}

void MatrixProfile::match(VCEColor* c)
{
    if (intent == 3) {
        curFwd = absFwd;
        curInv = absInv;
    } else {
        curFwd = &fwdMatrix;
        curInv = &invMatrix;
    }
    if (c->colorSpace == kLabSpace)
        VCELab_to_VCEXYZ(*c, c);
    if (c->colorSpace == kXYZSpace) {
        const long xyz[3] = {c->channel[0], c->channel[1], c->channel[2]};
        long lin[3];
        curInv->mul(lin, xyz);
        for (int i = 0; i < 3; ++i) {
            const long v = clipDomain(lin[i], 0, static_cast<long>(invTRC[i].maxValue));
            c->channel[i] = static_cast<int32_t>(invTRC[i].table[static_cast<std::size_t>(v >> 1)]);
        }
        c->colorSpace = kRGBSpace;
    } else {
        long lin[3];
        for (int i = 0; i < 3; ++i) {
            const long v = clipDomain(static_cast<long>(c->channel[i]), 0, 65535L);
            lin[i] = fwdTRC[i].table[static_cast<std::size_t>(v >> 1)];
        }
        long xyz[3];
        curFwd->mul(xyz, lin);
        for (int i = 0; i < 3; ++i)
            c->channel[i] = static_cast<int32_t>(xyz[i]);
        c->colorSpace = kXYZSpace;
    }
}

} // namespace vemora::cms::vemICC::nsp_VCE
