#pragma once
// The 128-byte ICC profile header (ICC.1:2010 section 7.2).
#include "foundation/stream.h"
#include "icc/color_mode.h"
#include "icc/encodings.h"

namespace vemora {
namespace cms {
namespace vemICC {

using Intent = unsigned long;       // 0 perceptual, 1 relative, 2 saturation, 3 absolute colorimetric
using ProfileClass = unsigned long; // the class signature: 'mntr', 'prtr', 'scnr', ...

class Header {
public:
    Header();
    void setDefault();
    // Reads a header at the stream's position; the stream is left 128 bytes further.
    void iccRead(dxStream& s);

    ColorMode getDCSColor() const { return colorModeOf(colorSpace); }
    ColorMode getPCSColor() const { return colorModeOf(pcs); }
    Intent getDefaultIntent() const { return renderingIntent.get(); }
    ProfileClass getProfileClass() const { return profileClass.get(); }

    static ColorMode colorModeOf(const Signature& space);

    unsigned long size = 0;
    Signature cmmType;
    Signature version;
    Signature profileClass;
    Signature colorSpace;
    Signature pcs;
    unsigned long year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
    Signature platform;
    Signature flags;
    Signature manufacturer;
    Signature model;
    Signature attributes[2]; // high word first
    Signature renderingIntent;
    double illuminant[3] = {0, 0, 0};
    Signature creator;
    unsigned char profileID[16] = {};
};

} // namespace vemICC
} // namespace cms
} // namespace vemora
