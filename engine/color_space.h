#pragma once
// The sampled colour link of a chain of profiles: the whole chain is evaluated once at every
// node of a regular grid over the input space and kept as a 16-bit table, so each colour
// afterwards costs one multilinear interpolation, whatever the chain.
#include "engine/base_profile.h"
#include "engine/black_point.h"
#include "engine/clut_interpolator.h"
#include "foundation/holders.h"

#include <utility>
#include <vector>

namespace vemora::cms::vemICC {
class ICCProfile;
}

namespace vemora::cms::vemICC::nsp_VCE {

// A new engine profile for a parsed profile: table-based when it has AToB/BToA tags,
// matrix/TRC when it has colorant or TRC tags, else empty (not usable). Set-up errors propagate.
PointerHolder<BaseProfile> getProcessProfile(const ICCProfile& p);

// Channels of a colour space: gray 1, RGB 3, CMYK 4, the three-component spaces 3, n-colour
// spaces n; 0 for codes without a channel count.
long getColorModeChannelCount(ColorMode mode);

class ColorSpace {
public:
    struct ConvertParameter {
        Intent intent = 0;
        PointerHolder<BlackPointCompensation> bpc;
    };
    using Element = std::pair<PointerHolder<BaseProfile>, ConvertParameter>;
    using Chain = std::vector<Element>;

    ColorSpace() = default;

    // False, the link unchanged, for an empty or unconnected chain. bits: 2^bits + 1 grid
    // points per input (4 gives 17, 5 gives 33).
    bool setup(Chain& chain, ColorMode input, bool toLab, long bits);
    bool matchInput(ColorMode* mode, const Chain::const_iterator& element) const;
    // Channels 0 … inputChannels - 1 (0 … 65535) to channels 0 … outputChannels - 1; a link
    // without a table leaves the colour as it is. Each input is raised by 1 first, as in the
    // LUT converter: the last grid node was sampled at 65535 but lies at 65536, and without the
    // step white (65535) would come out a unit below the white the chain gave.
    void match(VCEColor* c) const
    {
        if (table.empty())
            return;
        for (int k = 0; k < inputChannels; ++k)
            c->channel[k] += 1;
        interpolator.interpolate(c, *c);
    }
    // The chain evaluated exactly for one colour, the colour after every step kept.
    static void get_sequence_color(std::vector<VCEColor>* steps, VCEColor* c, Chain chain);

    bool isReady() const { return !table.empty(); }

    CLUTInterpolator interpolator;
    std::vector<unsigned char> table;
    Chain chain;
    ColorMode inputMode = colorModeUndefined;
    ColorMode outputMode = colorModeUndefined;
    std::vector<int32_t> gridPoints;
    int32_t inputChannels = 0;
    int32_t outputChannels = 0;
};

} // namespace vemora::cms::vemICC::nsp_VCE
