#include "image/pixel_ops.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vemora {

namespace {

template <int N>
inline void copy_pixel(unsigned char* d, const unsigned char* s)
{
    std::memcpy(d, s, N);
}

// Copies n colour blocks of `Color` bytes from a stride of `sstep` to a stride of `dstep`.
template <int Color>
void widen_rows(unsigned char* d, long dstep, const unsigned char* s, long sstep, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        for (int k = 0; k < 8; ++k)
            copy_pixel<Color>(d + k * dstep, s + k * sstep);
        d += 8 * dstep;
        s += 8 * sstep;
    }
    for (; i < n; ++i, d += dstep, s += sstep)
        copy_pixel<Color>(d, s);
}

void widen_any(unsigned char* d, long dstep, const unsigned char* s, long sstep, std::size_t n, std::size_t color)
{
    for (std::size_t i = 0; i < n; ++i, d += dstep, s += sstep)
        std::memcpy(d, s, color);
}

// Source pixel (sx, sy) of every destination pixel, walked in blocks so that both images
// stay in cache; map(x', y', sx, sy) gives the source of destination pixel (x', y').
template <int N, class Map>
void rotate_blocks(unsigned char* dst, long drow, const unsigned char* src, long srow, long dw, long dh, Map map)
{
    constexpr long B = 32;
    for (long by = 0; by < dh; by += B) {
        const long ey = std::min(dh, by + B);
        for (long bx = 0; bx < dw; bx += B) {
            const long ex = std::min(dw, bx + B);
            for (long y = by; y < ey; ++y) {
                unsigned char* d = dst + y * drow + bx * N;
                long sx, sy;
                map(bx, y, sx, sy);
                const unsigned char* s = src + sy * srow + sx * N;
                // Along a destination row the source moves by whole rows (up or down).
                const long step = map.row_step(srow);
                for (long x = bx; x < ex; ++x, d += N, s += step)
                    copy_pixel<N>(d, s);
            }
        }
    }
}

void rotate_blocks_any(unsigned char* dst, long drow, const unsigned char* src, long srow, long dw, long dh,
                       long n, bool right, long sh, long sw)
{
    for (long y = 0; y < dh; ++y)
        for (long x = 0; x < dw; ++x) {
            const long sx = right ? y : sw - 1 - y;
            const long sy = right ? sh - 1 - x : x;
            std::memcpy(dst + y * drow + x * n, src + sy * srow + sx * n, static_cast<std::size_t>(n));
        }
}

struct RightMap {
    long sh;
    void operator()(long x, long y, long& sx, long& sy) const
    {
        sx = y;
        sy = sh - 1 - x;
    }
    long row_step(long srow) const { return -srow; }
};

struct LeftMap {
    long sw;
    void operator()(long x, long y, long& sx, long& sy) const
    {
        sx = sw - 1 - y;
        sy = x;
    }
    long row_step(long srow) const { return srow; }
};

void rotate(GenericImage* dst, const GenericImage& src, bool right)
{
    const BitmapFormat& sf = src.format;
    BitmapFormat f = sf;
    f.width = sf.height;
    f.height = sf.width;
    f.row_bytes = sf.height * sf.bytes_per_pixel;
    const long n = sf.bytes_per_pixel;
    // Allocate before touching dst: it may be src itself.
    auto* buf = new std::vector<unsigned char>(f.byte_size(), 0);
    unsigned char* d = buf->data();
    const unsigned char* s = src.get_bitmap();
    const long dw = f.width, dh = f.height, drow = f.row_bytes, srow = sf.row_bytes;
    if (dw > 0 && dh > 0 && n > 0) {
        const RightMap rm{sf.height};
        const LeftMap lm{sf.width};
#define VG_ROTATE(N)                                                                                                   \
    case N:                                                                                                            \
        if (right)                                                                                                     \
            rotate_blocks<N>(d, drow, s, srow, dw, dh, rm);                                                            \
        else                                                                                                           \
            rotate_blocks<N>(d, drow, s, srow, dw, dh, lm);                                                            \
        break;
        switch (n) {
            VG_ROTATE(1)
            VG_ROTATE(2)
            VG_ROTATE(3)
            VG_ROTATE(4)
            VG_ROTATE(6)
            VG_ROTATE(8)
        default:
            rotate_blocks_any(d, drow, s, srow, dw, dh, n, right, sf.height, sf.width);
        }
#undef VG_ROTATE
    }
    dst->format = f;
    dst->adopt_buffer(buf);
}

} // namespace

void canvas_pixel_byte(GenericImage* image, unsigned long extra, bool before, unsigned char fill)
{
    const BitmapFormat old = image->format;
    BitmapFormat f = old;
    f.bytes_per_pixel = old.bytes_per_pixel + static_cast<int32_t>(extra);
    f.row_bytes = old.row_bytes + static_cast<int32_t>(extra) * old.width;
    if (before)
        f.channel_offset = old.channel_offset + static_cast<int32_t>(extra);
    auto* buf = new std::vector<unsigned char>(f.byte_size(), fill);
    const std::size_t color = static_cast<std::size_t>(old.channel_count) * old.bytes_per_channel;
    const unsigned char* src = image->get_bitmap();
    if (src && old.width > 0 && old.height > 0 && color > 0) {
        for (long y = 0; y < old.height; ++y) {
            const unsigned char* s = src + y * static_cast<long>(old.row_bytes) + old.channel_offset;
            unsigned char* d = buf->data() + y * static_cast<long>(f.row_bytes) + f.channel_offset;
            const std::size_t w = static_cast<std::size_t>(old.width);
            const long ss = old.bytes_per_pixel, ds = f.bytes_per_pixel;
            switch (color) {
            case 1: widen_rows<1>(d, ds, s, ss, w); break;
            case 2: widen_rows<2>(d, ds, s, ss, w); break;
            case 3: widen_rows<3>(d, ds, s, ss, w); break;
            case 4: widen_rows<4>(d, ds, s, ss, w); break;
            case 6: widen_rows<6>(d, ds, s, ss, w); break;
            case 8: widen_rows<8>(d, ds, s, ss, w); break;
            default: widen_any(d, ds, s, ss, w, color);
            }
        }
    }
    image->format = f;
    image->adopt_buffer(buf);
}

void copy_gimage(GenericImage* dst, long dx, long dy, const GenericImage& src, long x1, long y1, long x2, long y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    const long bpp = src.format.bytes_per_pixel;
    const std::size_t n = static_cast<std::size_t>((x2 - x1) * bpp);
    const unsigned char* s = src.get_bitmap() + y1 * static_cast<long>(src.format.row_bytes) + x1 * bpp;
    unsigned char* d = dst->get_bitmap() + dy * static_cast<long>(dst->format.row_bytes) + dx * bpp;
    for (long y = y1; y < y2; ++y, s += src.format.row_bytes, d += dst->format.row_bytes)
        std::memmove(d, s, n);
}

bool convert_tifflab_to_pxlab(GenericImage* image)
{
    BitmapFormat& f = image->format;
    const int bpc = f.bytes_per_channel;
    // a and b are samples 1 and 2 from the start of the pixel; a pixel too small to hold them
    // would have them written past it.
    if ((bpc != 1 && bpc != 2) || f.bytes_per_pixel < 3 * bpc)
        return false;
    unsigned char* row = image->get_bitmap();
    for (long y = 0; y < f.height; ++y, row += f.row_bytes) {
        unsigned char* p = row;
        if (bpc == 1) {
            for (long x = 0; x < f.width; ++x, p += f.bytes_per_pixel) {
                p[1] = static_cast<unsigned char>(p[1] - 128);
                p[2] = static_cast<unsigned char>(p[2] - 128);
            }
        } else {
            for (long x = 0; x < f.width; ++x, p += f.bytes_per_pixel) {
                uint16_t v[2];
                std::memcpy(v, p + 2, 4);
                v[0] = static_cast<uint16_t>(v[0] - 32768);
                v[1] = static_cast<uint16_t>(v[1] - 32768);
                std::memcpy(p + 2, v, 4);
            }
        }
    }
    f.color_mode = BitmapFormat::modePxLab;
    return true;
}

bool get_pixel_sample(long* out, long x, long y, long size, const GenericImage& image)
{
    const BitmapFormat& f = image.format;
    long x0 = x - (size >> 1);
    const long x1 = std::min<long>(x0 + size, f.width);
    x0 = std::max<long>(x0, 0);
    if (!(x0 < x1 && x0 < f.width))
        return false;
    long y0 = y - (size >> 1);
    const long y1 = std::min<long>(y0 + size, f.height);
    y0 = std::max<long>(y0, 0);
    if (!(y0 < y1 && y0 < f.height))
        return false;
    const int channels = f.channel_count;
    for (int k = 0; k < channels; ++k)
        out[k] = 0;
    const int bpc = f.bytes_per_channel;
    if (bpc != 1 && bpc != 2)
        return false;
    for (long yy = y0; yy < y1; ++yy) {
        const unsigned char* p = image.get_bitmap() + yy * static_cast<long>(f.row_bytes) + x0 * f.bytes_per_pixel;
        for (long xx = x0; xx < x1; ++xx, p += f.bytes_per_pixel)
            for (int k = 0; k < channels; ++k) {
                if (bpc == 1) {
                    out[k] += p[k];
                } else {
                    uint16_t v;
                    std::memcpy(&v, p + 2 * k, 2);
                    out[k] += v;
                }
            }
    }
    const long count = (x1 - x0) * (y1 - y0);
    for (int k = 0; k < channels; ++k)
        out[k] /= count;
    return true;
}

void gimage_rotate_right(GenericImage* dst, const GenericImage& src)
{
    rotate(dst, src, true);
}

void gimage_rotate_left(GenericImage* dst, const GenericImage& src)
{
    rotate(dst, src, false);
}

} // namespace vemora
