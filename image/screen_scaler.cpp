#include "image/screen_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vemora {

void ScreenScaler::set_source_image(const unsigned char* pixels, unsigned long width, unsigned long height)
{
    source = pixels;
    sourceWidth = static_cast<uint32_t>(width);
    sourceHeight = static_cast<uint32_t>(height);
    calc_paramter();
}

void ScreenScaler::set_scale(double s)
{
    scaleFactor = s;
    calc_paramter();
}

void ScreenScaler::calc_paramter()
{
    sourceRowBytes = sourceWidth * 4;
    scaledWidth = static_cast<uint32_t>(calc_scaled_size(scaleFactor, sourceWidth));
    scaledHeight = static_cast<uint32_t>(calc_scaled_size(scaleFactor, sourceHeight));
}

unsigned long ScreenScaler::calc_scaled_size(double s, unsigned long n)
{
    const double x = s * static_cast<double>(n);
    const double b = std::floor(x);
    double r = static_cast<double>(static_cast<long>(std::fabs(x) * 1e6 + 0.5)) / 1e6;
    if (x < 0)
        r = -r;
    const unsigned long base = static_cast<unsigned long>(b < 0 ? 0 : b);
    return r - b > 0 ? base + 1 : base;
}

void ScreenScaler::set_process_coord(unsigned long l, unsigned long t, unsigned long r, unsigned long b)
{
    left = static_cast<uint32_t>(l);
    top = static_cast<uint32_t>(t);
    right = static_cast<uint32_t>(r);
    bottom = static_cast<uint32_t>(b);
    processWidth = right > left ? right - left : 0;
    processHeight = bottom > top ? bottom - top : 0;
    processBytes = processWidth * processHeight * 4;
}

void ScreenScaler::get_source_coord(unsigned long* l, unsigned long* t, unsigned long* r, unsigned long* b) const
{
    const double inv = 1.0 / scaleFactor;
    *l = static_cast<unsigned long>(left * inv);
    *t = static_cast<unsigned long>(top * inv);
    *r = static_cast<unsigned long>((right - 1.0) * inv + 1);
    *b = static_cast<unsigned long>((bottom - 1.0) * inv + 1);
}

void ScreenScaler::scale()
{
    if (!source || !target || sourceWidth == 0 || sourceHeight == 0 || processWidth == 0 || processHeight == 0)
        return;
    const double inv = 1.0 / scaleFactor;
    // Rounding of i × (1 / s) must not step past the last source pixel.
    std::vector<uint32_t> columns(processWidth);
    for (uint32_t i = 0; i < processWidth; ++i)
        columns[i] = std::min(static_cast<uint32_t>((left + i) * inv), sourceWidth - 1);
    unsigned char* out = target;
    uint32_t last_row = UINT32_MAX;
    const unsigned char* prev_out = nullptr;
    for (uint32_t j = top; j < bottom; ++j) {
        const uint32_t r = std::min(static_cast<uint32_t>(j * inv), sourceHeight - 1);
        if (r == last_row) {
            // The same source row again: repeat the row just written.
            std::memcpy(out, prev_out, static_cast<std::size_t>(processWidth) * 4);
        } else {
            const unsigned char* row = source + static_cast<std::size_t>(r) * sourceRowBytes;
            for (uint32_t i = 0; i < processWidth; ++i)
                std::memcpy(out + static_cast<std::size_t>(i) * 4, row + static_cast<std::size_t>(columns[i]) * 4, 4);
            last_row = r;
        }
        prev_out = out;
        out += static_cast<std::size_t>(processWidth) * 4;
    }
}

} // namespace vemora
