#include "engine/black_point.h"

#include <cmath>

namespace vemora::cms::vemICC::nsp_VCE {

namespace {

constexpr double kThird = 0.3333333333333333;
const Matrix33 kBradford(0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296);

// Y of a lightness, and X, Z of the neutral grey with that Y (CIE 1976, D50).
double yOfL(double L)
{
    return L > 8 ? std::pow((L + 16) * 0.008620689655172414, 3) : L * 0.0011070519207350825;
}

double fOf(double y)
{
    return y > 0.008856 ? std::pow(y, kThird) : 7.787 * y + 0.13793103448275862;
}

double fromF(double f, double white)
{
    return f > 0.206893034422964 ? white * f * f * f : white * (f - 0.13793103448275862) * 0.1284191601386927;
}

void neutralGrey(const double* black, double* grey)
{
    const double y = black[1];
    const double L = y > 0.008856 ? 116 * std::pow(y, kThird) - 16 : 903.3 * y;
    grey[1] = yOfL(L);
    const double f = fOf(grey[1]);
    grey[0] = fromF(f, kD50[0]);
    grey[2] = fromF(f, kD50[2]);
}

Matrix33 adaptation(const double* from, const double* to)
{
    double bf[3], bt[3];
    D3_Vertex_hmup_Matrix(bf, from, kBradford);
    D3_Vertex_hmup_Matrix(bt, to, kBradford);
    const Matrix33 d(bt[0] / bf[0], 0, 0, 0, bt[1] / bf[1], 0, 0, 0, bt[2] / bf[2]);
    Matrix33 inv, t, r;
    Matrix_Inverse(inv, kBradford);
    Matrix33_mulitple(t, d, kBradford);
    Matrix33_mulitple(r, inv, t);
    return r;
}

int32_t fixedOf(double v)
{
    const double f = v * 65536.0;
    return !(f == f) ? 0 : f >= 2147483647.0 ? INT32_MAX : f <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(f);
}

} // namespace

void BlackPointCompensation::estimateBlackPoint(double* xyz, BaseProfile* profile, Intent intent)
{
    const Intent saved = profile->getIntent();
    profile->setIntent(intent);
    VCEColor c{};
    if (profile->getDCSColor() == colorModeRGB) {
        c.colorSpace = kRGBSpace;
        profile->match(&c);
    } else {
        c.colorSpace = kLabSpace;
        c.channel[0] = 0;
        c.channel[1] = 32768;
        c.channel[2] = 32768;
        profile->match(&c);
        profile->match(&c);
    }
    if (c.colorSpace == kLabSpace) {
        const double L = c.channel[0] * 0.0015259021896696422;
        const double a = c.channel[1] * 0.00390625 - 128;
        const double b = c.channel[2] * 0.00390625 - 128;
        const double fy = fOf(yOfL(L));
        xyz[1] = yOfL(L);
        xyz[0] = fromF(fy + 0.002 * a, kD50[0]);
        xyz[2] = fromF(fy - 0.005 * b, kD50[2]);
    } else {
        for (int i = 0; i < 3; ++i)
            xyz[i] = c.channel[i] * (1.0 / 65536.0);
    }
    profile->setIntent(saved);
}

void BlackPointCompensation::calc_BPC_factor(Matrix33* F, double* o, const double* w1, const double* b1,
                                             const double* w2, const double* w3, const double* b2, const double* w4)
{
    const Matrix33 a1 = adaptation(w1, w2), a2 = adaptation(w3, w4);
    double s[3], d[3];
    D3_Vertex_hmup_Matrix(s, b1, a1);
    D3_Vertex_hmup_Matrix(d, b2, a2);
    double f[3];
    for (int i = 0; i < 3; ++i) {
        const double den = s[i] - w2[i];
        // A black as light as white in some channel (no real profile) leaves that channel alone.
        if (den == 0.0) {
            f[i] = 1.0;
            o[i] = 0.0;
            continue;
        }
        f[i] = (d[i] - w4[i]) / den;
        o[i] = -w4[i] * (d[i] - s[i]) / den;
    }
    *F = Matrix33(f[0], 0, 0, 0, f[1], 0, 0, 0, f[2]);
}

void BlackPointCompensation::init(const double* sourceBlack, const double* targetBlack)
{
    double ns[3], nt[3], o[3];
    neutralGrey(sourceBlack, ns);
    neutralGrey(targetBlack, nt);
    Matrix33 F;
    calc_BPC_factor(&F, o, kD50, ns, kD50, kD50, nt, kD50);
    for (int i = 0; i < 9; ++i)
        factor.m[i] = 0;
    for (int i = 0; i < 3; ++i) {
        factor.m[4 * i] = fixedOf(F(i, i));
        offset[i] = fixedOf(o[i]);
    }
}

void BlackPointCompensation::init(BaseProfile* source, Intent sourceIntent, BaseProfile* target, Intent targetIntent)
{
    double s[3], t[3];
    estimateBlackPoint(s, source, sourceIntent);
    estimateBlackPoint(t, target, targetIntent);
    init(s, t);
}

void BlackPointCompensation::apply(VCEColor* c) const
{
    const long in[3] = {c->channel[0], c->channel[1], c->channel[2]};
    long out[3];
    factor.mul(out, in);
    for (int i = 0; i < 3; ++i)
        c->channel[i] = static_cast<int32_t>(clipDomain(out[i] + offset[i], getFixed(-0.5), getFixed(3.5)));
}

} // namespace vemora::cms::vemICC::nsp_VCE
