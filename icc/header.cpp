#include "icc/header.h"

#include "foundation/exception.h"

namespace vemora {
namespace cms {
namespace vemICC {

Header::Header()
{
    setDefault();
}

void Header::setDefault()
{
    cmmType.set(0);
    flags.set(0x20000);
    manufacturer.set(sig("VEMR"));
    model.set(0);
    attributes[0].set(0);
    attributes[1].set(0);
}

void Header::iccRead(dxStream& s)
{
    try {
        const long long p = s.getPos();
        s.setPos(p + 36, true);
        Signature magic;
        magic.iccRead(s);
        if (magic.get() != sig("acsp"))
            throw ExceptionDebuggErrorID(-6618, "Header::iccRead No ICC Profile format");
        s.setPos(p, true);
        size = read_uInt32Number(s);
        cmmType.iccRead(s);
        version.iccRead(s);
        profileClass.iccRead(s);
        colorSpace.iccRead(s);
        pcs.iccRead(s);
        read_dateTimeNumber(&year, &month, &day, &hours, &minutes, &seconds, s);
        magic.iccRead(s);
        platform.iccRead(s);
        flags.iccRead(s);
        manufacturer.iccRead(s);
        model.iccRead(s);
        attributes[0].iccRead(s);
        attributes[1].iccRead(s);
        renderingIntent.iccRead(s);
        read_XYZNumber(&illuminant[0], &illuminant[1], &illuminant[2], s);
        creator.iccRead(s);
        s.read_byte(profileID, sizeof profileID);
        readReserved(s, 28);
    } catch (...) {
        throw ExceptionDebuggErrorID(-6620, "Header::iccRead error");
    }
}

ColorMode Header::colorModeOf(const Signature& space)
{
    const unsigned long v = space.get();
    switch (v) {
    case sig("RGB "): return colorModeRGB;
    case sig("CMYK"): return colorModeCMYK;
    case sig("GRAY"): return colorModeGray;
    case sig("Lab "): return colorModeLab;
    case sig("XYZ "): return colorModeXYZ;
    case sig("Yxy "): return colorModeYxy;
    case sig("Luv "): return colorModeLuv;
    case sig("YCbr"): return colorModeYCbCr;
    case sig("HSV "): return colorModeHSV;
    case sig("HLS "): return colorModeHLS;
    case sig("CMY "): return colorModeCMY;
    default: break;
    }
    // 'nCLR' and 'MCHn', n = 1..9 or A..G: 1 to 16 colorants.
    const unsigned long c0 = v >> 24;
    const unsigned long tail = v & 0xFFFFFFUL;
    const unsigned long c3 = v & 0xFF;
    unsigned long n = 0;
    if (tail == (sig("0CLR") & 0xFFFFFFUL))
        n = c0;
    else if ((v & 0xFFFFFF00UL) == (sig("MCH0") & 0xFFFFFF00UL))
        n = c3;
    if (n >= '1' && n <= '9')
        return static_cast<ColorMode>(128 + (n - '0'));
    if (n >= 'A' && n <= 'G')
        return static_cast<ColorMode>(138 + (n - 'A'));
    return colorModeUndefined;
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
