#pragma once
// An engine profile: converts one colour in place, a PCS colour ('Lab ' or 'XYZ ') into device
// values and any other colour into PCS.
#include "engine/vce_color.h"
#include "icc/color_mode.h"
#include "icc/header.h"

namespace vemora::cms::vemICC {
class ICCProfile;
}

namespace vemora::cms::vemICC::nsp_VCE {

// Version 2 display profiles often carry the monitor's own white (D65) as media white, yet their
// colorimetry is relative to D50 (ICC.1:2001-04, and version 4 by construction): their absolute
// rendering is the relative one, or every absolute proof onto a monitor would take a colour cast.
inline bool hasPCSMediaWhite(const Header& h)
{
    return (h.version.get() >> 24) < 4 && h.getProfileClass() == 0x6D6E7472; // 'mntr'
}

class BaseProfile {
public:
    // Thrown when a profile cannot be built; "BaseProfile exception: <code>" is printed first.
    struct Exception {
        explicit Exception(int32_t c);
        int32_t code;
    };

    BaseProfile() = default;
    BaseProfile(const BaseProfile&) = delete;
    BaseProfile& operator=(const BaseProfile&) = delete;
    virtual ~BaseProfile() = default;

    virtual void setProfile(const ICCProfile& profile) = 0;
    virtual void setIntent(Intent i) { intent = i; }
    virtual Intent getIntent() const { return intent; }
    virtual void match(VCEColor* c) = 0;
    virtual long getInputAccept() const = 0;
    virtual long getOutputAccept() const = 0;
    virtual long getAChannel() const = 0;
    virtual long getBChannel() const = 0;
    virtual ColorMode getDCSColor() const { return dcsColor; }
    virtual ColorMode getPCSColor() const { return pcsColor; }
    virtual void setMediaWhiteByChromaticAdaptation(bool on) = 0;
    virtual bool isMediaWhiteByChromaticAdaptation() const { return useChadWhite; }

protected:
    Intent intent = 1;
    bool useChadWhite = false;
    ColorMode dcsColor = colorModeRGB;
    ColorMode pcsColor = colorModeXYZ;
};

// The D50 white of the PCS, used throughout the engine.
constexpr double kD50[3] = {0.9642, 1.0, 0.8249};

} // namespace vemora::cms::vemICC::nsp_VCE
