#pragma once
// Colour-space codes of profile sides, chains and links. The ICC colour-space signatures map to
// them through Header::getDCSColor / getPCSColor; 129..144 are the 1..16 colorant spaces
// ('1CLR'..'GCLR', 'MCH1'..'MCHG') and 255 any other signature. 6 is not used.

namespace vemora {

enum ColorMode : int {
    colorModeRGB = 0,
    colorModeCMYK = 1,
    colorModeGray = 2,
    colorModeLab = 3,
    colorModeXYZ = 4,
    colorModeYxy = 5,
    colorModeLuv = 7,
    colorModeYCbCr = 8,
    colorModeHSV = 9,
    colorModeHLS = 10,
    colorModeCMY = 11,
    colorModeUndefined = 255
};

} // namespace vemora
