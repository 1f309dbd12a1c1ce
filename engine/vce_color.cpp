#include "engine/vce_color.h"

#include <cmath>
#include <cstdlib>

namespace vemora::cms::vemICC::nsp_VCE {

namespace {

// The exponent is this double, not an exact third: the tables are part of the engine's results.
constexpr double kThird = 0.3333333333333333;

// entry i = trunc(scale × (R i / (N − 1))^kThird), in exactly that order of operations.
template <class Table, int N, int R>
void fillTable(double scale)
{
    if (Table::pValue_)
        return;
    auto* t = new LookupTable<N, R>;
    for (int i = 0; i < N; ++i)
        t->entry[i] = static_cast<int32_t>(scale * std::pow(static_cast<double>(R) * i / (N - 1), kThird));
    Table::pValue_ = t;
    Table::undead_ = true;
}

const int32_t* table1()
{
    return CubeRootTable1::pValue_->entry;
}
const int32_t* table9()
{
    return CubeRootTable9::pValue_->entry;
}

} // namespace

void allocatePow0p33Table()
{
    fillTable<CubeRootTable1, 65537, 1>(32768.0);
    fillTable<CubeRootTable9, 147457, 9>(65536.0);
}

void VCELab_to_VCEXYZ(const VCEColor& in, VCEColor* out)
{
    const int32_t* T1 = table1();
    // L outside 0 … 65536 never comes from the engine; clamping keeps every product in 32 bits.
    const int32_t L = in.channel[0] < 0 ? 0 : in.channel[0] > 65536 ? 65536 : in.channel[0];
    const int32_t l = (L + 1) >> 1;
    const int32_t da = static_cast<int16_t>(static_cast<uint16_t>(in.channel[1] - 32768));
    const int32_t db = static_cast<int16_t>(static_cast<uint16_t>(in.channel[2] - 32768));

    int32_t Y;
    if (l > 2621) {
        const int32_t t = ((l + 5243) * 28249) >> 15;
        Y = (t * ((t * t) >> 15)) >> 14;
    } else {
        Y = (l * 3627) >> 14;
    }
    // L* = 100 rounds Y a few units above 1.0; the table ends at 1.0.
    const int32_t fy = Y > 580 ? T1[Y > 65536 ? 65536 : Y] : (((Y >> 1) * 255164) >> 15) + 4520;

    const int32_t s = (std::abs(da) * 8389) >> 15;
    const int32_t fx = da >= 0 ? fy + s : fy - s;
    int32_t X;
    if (fx > 6779)
        X = (((fx * ((fx * fx) >> 15)) >> 15) * 31595) >> 14;
    else
        X = ((((fx - 4520) * 31595) >> 15) * 4208) >> 14;

    const int32_t s2 = (std::abs(db) * 20972) >> 15;
    const int32_t fz = db >= 0 ? fy - s2 : fy + s2;
    int32_t Z;
    if (fz > 6779) {
        if (fz > 40000) {
            const int32_t h = fz >> 1;
            Z = (((h * ((h * h) >> 14)) >> 14) * 13515) >> 12;
        } else {
            Z = (((fz * ((fz * fz) >> 15)) >> 15) * 27030) >> 14;
        }
    } else {
        Z = ((((fz - 4520) * 27030) >> 15) * 4208) >> 14;
    }
    out->channel[0] = X;
    out->channel[1] = Y;
    out->channel[2] = Z;
    out->colorSpace = kXYZSpace;
}

void VCEXYZ_to_VCELab(const VCEColor& in, VCEColor* out)
{
    const int32_t* T9 = table9();
    const long xr = fixedMul(in.channel[0], 67969);
    const long yr = in.channel[1];
    const long zr = fixedMul(in.channel[2], 79447);
    // Values beyond 9.0 (far outside any real colour) take the table's last entry.
    auto f = [T9](long v) -> long {
        if (v > 580)
            return T9[v >= 589828 ? 147456 : v >> 2];
        return fixedMul(v, 510329) + 9039;
    };
    const long fx = f(xr), fy = f(yr), fz = f(zr);
    const long L = yr > 580 ? fixedMul(fy, 76022) - 10486 : fixedMul(yr, 591987);
    const long a = fixedMul(fx - fy, 128000) + 32768;
    const long b = fixedMul(fy - fz, 51200) + 32768;
    out->channel[0] = static_cast<int32_t>(clipDomain(L, 0, 65535L));
    out->channel[1] = static_cast<int32_t>(clipDomain(a, 0, 65535L));
    out->channel[2] = static_cast<int32_t>(clipDomain(b, 0, 65535L));
    out->colorSpace = kLabSpace;
}

Fixed_Matrix33 Fixed_Matrix33::fromColumnMatrix(const Matrix33& M)
{
    Fixed_Matrix33 f;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            f.m[3 * j + i] = static_cast<int32_t>(getFixed(M(i, j)));
    return f;
}

void Matrix33_mulitple(Matrix33& r, const Matrix33& a, const Matrix33& b)
{
    Matrix33 t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t.m[3 * i + j] = a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j);
    r = t;
}

void Matrix_Inverse(Matrix33& r, const Matrix33& a)
{
    const double det = a(2, 2) * (a(0, 0) * a(1, 1) - a(1, 0) * a(0, 1)) +
                       a(2, 0) * (a(0, 1) * a(1, 2) - a(1, 1) * a(0, 2)) -
                       a(2, 1) * (a(0, 0) * a(1, 2) - a(1, 0) * a(0, 2));
    Matrix33 t((a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) / det, (a(0, 2) * a(2, 1) - a(0, 1) * a(2, 2)) / det,
               (a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1)) / det, (a(1, 2) * a(2, 0) - a(1, 0) * a(2, 2)) / det,
               (a(0, 0) * a(2, 2) - a(0, 2) * a(2, 0)) / det, (a(0, 2) * a(1, 0) - a(0, 0) * a(1, 2)) / det,
               (a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0)) / det, (a(0, 1) * a(2, 0) - a(0, 0) * a(2, 1)) / det,
               (a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0)) / det);
    r = t;
}

void D3_Vertex_hmup_Matrix(double* out, const double* v, const Matrix33& m)
{
    double t[3];
    for (int i = 0; i < 3; ++i)
        t[i] = m(i, 0) * v[0] + m(i, 1) * v[1] + m(i, 2) * v[2];
    out[0] = t[0];
    out[1] = t[1];
    out[2] = t[2];
}

} // namespace vemora::cms::vemICC::nsp_VCE
