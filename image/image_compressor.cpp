#include "image/image_compressor.h"

#include <algorithm>
#include <cstring>

namespace vemora {
namespace nsp_ImageCompressor {

namespace {

struct Position {
    uint32_t low, high;
    int32_t weight;
};

// Source positions of n destination samples over a source of `size`, in single precision:
// the first sample takes source 0 and the last source size - 1. A single destination sample,
// where the spacing would be 0 / 0, takes source 0; so does every sample of a one-pixel source.
std::vector<Position> positions(int n, int32_t size)
{
    std::vector<Position> out;
    if (n <= 0 || size <= 0)
        return out;
    out.reserve(static_cast<std::size_t>(n));
    const float f = static_cast<float>(size - 1);
    for (int i = 0; i < n; ++i) {
        if (n == 1 || size == 1) {
            out.push_back({0, 0, 0});
            continue;
        }
        const float g = static_cast<float>(i) / static_cast<float>(n - 1);
        const uint32_t l = std::min(static_cast<uint32_t>(g * f), static_cast<uint32_t>(size - 1));
        const uint32_t m = std::min(l + 1, static_cast<uint32_t>(size - 1));
        const float p = static_cast<float>(l) / f, q = static_cast<float>(m) / f;
        const int32_t w = static_cast<int32_t>(0.5f + 256.0f * (q != p ? (g - p) / (q - p) : 0.0f));
        out.push_back({l, m, w});
    }
    return out;
}

template <class Interpo>
void do_compress(GenericImage* dst, long x0, long y0, long x1, long y1, const CompresseInfo& info)
{
    using S = typename Interpo::Sample;
    constexpr int ns = Interpo::samples;
    constexpr int mask = sizeof(S) == 1 ? 0xFF : 0xFFFF;
    const long bpp = info.format.bytes_per_pixel;
    const long dst_row = bpp * static_cast<long>(info.columns.size());
    auto load = [](const unsigned char* p) {
        S v;
        std::memcpy(&v, p, sizeof v);
        return static_cast<int>(v);
    };
    for (long j = y0; j < y1; ++j) {
        const VIndex& v = info.rows[static_cast<std::size_t>(j)];
        const int wy = v.weight;
        unsigned char* d = dst->get_bitmap() + j * dst_row + x0 * bpp;
        for (long i = x0; i < x1; ++i, d += bpp) {
            const HIndex& h = info.columns[static_cast<std::size_t>(i)];
            const int wx = h.weight;
            for (int k = 0; k < ns; ++k) {
                const long ks = k * static_cast<long>(sizeof(S));
                const int a0 = load(v.row0 + h.offset0 + ks), a1 = load(v.row0 + h.offset1 + ks);
                const int b0 = load(v.row1 + h.offset0 + ks), b1 = load(v.row1 + h.offset1 + ks);
                const int top = (a0 + ((wx * (a1 - a0)) >> 8)) & mask;
                const int bottom = (b0 + ((wx * (b1 - b0)) >> 8)) & mask;
                const S out = static_cast<S>(top + ((wy * (bottom - top)) >> 8));
                std::memcpy(d + ks, &out, sizeof out);
            }
        }
    }
}

} // namespace

void get_compress_info(CompresseInfo* info, double factor, const GenericImage& src)
{
    const BitmapFormat& f = src.format;
    info->format = f;
    const int w = static_cast<int>(f.width * factor + 0.5);
    const int h = static_cast<int>(f.height * factor + 0.5);
    info->columns.clear();
    info->rows.clear();
    for (const Position& p : positions(w, f.width))
        info->columns.push_back({static_cast<int32_t>(p.low) * f.bytes_per_pixel,
                                 static_cast<int32_t>(p.high) * f.bytes_per_pixel, p.weight});
    const unsigned char* base = src.get_bitmap();
    for (const Position& p : positions(h, f.height))
        info->rows.push_back({base + static_cast<std::size_t>(p.low) * f.row_bytes,
                              base + static_cast<std::size_t>(p.high) * f.row_bytes, p.weight});
}

BitmapFormat get_format_by_compress_info(const CompresseInfo& info)
{
    BitmapFormat f = info.format;
    f.width = static_cast<int32_t>(info.columns.size());
    f.height = static_cast<int32_t>(info.rows.size());
    f.row_bytes = f.width * f.bytes_per_pixel;
    return f;
}

void init_compress_image(GenericImage* dst, const CompresseInfo& info)
{
    dst->create(get_format_by_compress_info(info));
}

void compress_rect(GenericImage* dst, long x0, long y0, long x1, long y1, const CompresseInfo& info)
{
    x0 = std::max(x0, 0L);
    y0 = std::max(y0, 0L);
    x1 = std::min(x1, static_cast<long>(info.columns.size()));
    y1 = std::min(y1, static_cast<long>(info.rows.size()));
    if (x0 >= x1 || y0 >= y1)
        return;
    const int mode = info.format.color_mode;
    const bool cmyk = mode == BitmapFormat::modeCMYK;
    const bool rgb = mode == BitmapFormat::modeRGB || mode == BitmapFormat::modePxLab;
    if (!cmyk && !rgb)
        return;
    if (info.format.bytes_per_channel == 1) {
        if (cmyk)
            do_compress<CMYK_8bit_Interpo>(dst, x0, y0, x1, y1, info);
        else
            do_compress<RGB_8bit_Interpo>(dst, x0, y0, x1, y1, info);
    } else {
        if (cmyk)
            do_compress<CMYK_16bit_Interpo>(dst, x0, y0, x1, y1, info);
        else
            do_compress<RGB_16bit_Interpo>(dst, x0, y0, x1, y1, info);
    }
}

} // namespace nsp_ImageCompressor
} // namespace vemora
