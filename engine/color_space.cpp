#include "engine/color_space.h"

#include "engine/clut_profile.h"
#include "engine/matrix_profile.h"
#include "icc/profile.h"

#include <cstring>

namespace vemora::cms::vemICC::nsp_VCE {

PointerHolder<BaseProfile> getProcessProfile(const ICCProfile& p)
{
    const long base = getProfileBase(p.directory);
    BaseProfile* made = base == 1 ? static_cast<BaseProfile*>(new CLUTProfile)
                        : base == 2 ? static_cast<BaseProfile*>(new MatrixProfile)
                                    : nullptr;
    if (!made)
        return PointerHolder<BaseProfile>();
    PointerHolder<BaseProfile> holder(made);
    made->setProfile(p);
    return holder;
}

long getColorModeChannelCount(ColorMode mode)
{
    switch (mode) {
    case colorModeGray:
        return 1;
    case colorModeCMYK:
        return 4;
    case colorModeRGB:
    case colorModeLab:
    case colorModeXYZ:
    case colorModeYxy:
    case colorModeLuv:
    case colorModeYCbCr:
    case colorModeHSV:
    case colorModeHLS:
    case colorModeCMY:
        return 3;
    default:
        return mode >= 129 && mode <= 144 ? mode - 128 : 0;
    }
}

namespace {

bool isPCSMode(ColorMode m)
{
    return m == colorModeLab || m == colorModeXYZ;
}

// Compensation works on XYZ: Lab is converted first.
void applyStep(VCEColor* c, const ColorSpace::Element& e)
{
    if (!e.second.bpc.isNull()) {
        if (c->colorSpace == kLabSpace)
            VCELab_to_VCEXYZ(*c, c);
        e.second.bpc->apply(c);
    }
    e.first->setIntent(e.second.intent);
    e.first->match(c);
}

} // namespace

bool ColorSpace::matchInput(ColorMode* mode, const Chain::const_iterator& element) const
{
    const ColorMode dcs = element->first->getDCSColor();
    const ColorMode pcs = element->first->getPCSColor();
    const ColorMode m = *mode;
    if (pcs == m || (isPCSMode(m) && isPCSMode(pcs))) {
        *mode = dcs;
        return true;
    }
    if (dcs == m || (isPCSMode(m) && isPCSMode(dcs))) {
        *mode = pcs;
        return true;
    }
    return false;
}

bool ColorSpace::setup(Chain& in, ColorMode input, bool toLab, long bits)
{
    if (in.empty())
        return false;
    for (const auto& e : in)
        if (e.first.isNull())
            return false;
    ColorMode mode = input;
    for (auto it = in.cbegin(); it != in.cend(); ++it)
        if (!matchInput(&mode, it))
            return false;
    const long nIn = getColorModeChannelCount(input);
    const long nOut = getColorModeChannelCount(mode);
    // A table of more than a few million nodes is no colour link this system builds.
    if (nIn < 1 || nIn > 8 || nOut < 1 || nOut > 15 || bits < 1 || bits > 8)
        return false;
    const long n = (1L << bits) + 1;
    unsigned long long nodes = 1;
    for (long k = 0; k < nIn; ++k)
        nodes *= static_cast<unsigned long long>(n);
    if (nodes > (1ull << 24))
        return false;

    if (&in != &chain)
        chain = in;
    inputChannels = static_cast<int32_t>(nIn);
    outputChannels = static_cast<int32_t>(nOut);
    table.assign(static_cast<std::size_t>(nodes * static_cast<unsigned long long>(nOut) * 2), 0);
    gridPoints.assign(static_cast<std::size_t>(nIn), static_cast<int32_t>(n));
    std::vector<long> points(gridPoints.begin(), gridPoints.end());
    interpolator.setup(table.data(), nIn, nOut, 2, points.data());

    const uint32_t start = input == colorModeLab ? kLabSpace : input == colorModeXYZ ? kXYZSpace : kDevcSpace;
    const uint32_t stepSize = 1u << (16 - bits);
    auto* out = reinterpret_cast<uint16_t*>(table.data());
    for (unsigned long long i = 0; i < nodes; ++i) {
        VCEColor c{};
        c.colorSpace = start;
        unsigned long long rest = i;
        for (long k = nIn - 1; k >= 0; --k) {
            const uint32_t index = static_cast<uint32_t>(rest % static_cast<unsigned long long>(n));
            rest /= static_cast<unsigned long long>(n);
            const uint32_t v = index * stepSize;
            c.channel[k] = static_cast<int32_t>(v > 65535 ? 65535 : v);
        }
        for (const auto& e : chain)
            applyStep(&c, e);
        if (c.colorSpace == kXYZSpace) {
            if (toLab) {
                VCEXYZ_to_VCELab(c, &c);
            } else {
                for (int k = 0; k < 3; ++k)
                    c.channel[k] = c.channel[k] < 0 ? 0 : c.channel[k] >= 131072 ? 65535 : c.channel[k] >> 1;
            }
        }
        for (long o = 0; o < nOut; ++o)
            out[i * static_cast<unsigned long long>(nOut) + static_cast<unsigned long long>(o)] =
                static_cast<uint16_t>(c.channel[o]);
    }
    inputMode = input;
    outputMode = mode == colorModeXYZ && toLab ? colorModeLab : mode;
    return true;
}

void ColorSpace::get_sequence_color(std::vector<VCEColor>* steps, VCEColor* c, Chain chain)
{
    steps->clear();
    steps->reserve(chain.size());
    for (const auto& e : chain) {
        applyStep(c, e);
        steps->push_back(*c);
    }
}

} // namespace vemora::cms::vemICC::nsp_VCE
