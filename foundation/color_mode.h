#pragma once
// Colour-space codes of profile sides, chains and links (not the image colour modes of a
// bitmap, which are a separate set). ICC colour-space signatures map to them; 129 … 144 are
// the n-colorant spaces ('1CLR' … 'FCLR', 'MCH1' … 'MCHG': 128 + n) and 255 any other space.
// 6 is not used.

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
    colorModeColorant1 = 129,
    colorModeColorant16 = 144,
    colorModeUndefined = 255,
    colorModeOther = colorModeUndefined
};

} // namespace vemora
