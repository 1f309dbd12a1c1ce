#include "engine/image_convert.h"

#include <cstring>

namespace vemora {

using cms::CLUTInterpolator;
using namespace cms::vemICC::nsp_VCE;

namespace {

template <class T>
inline uint32_t sample(const unsigned char* p, int i)
{
    T v;
    std::memcpy(&v, p + i * sizeof(T), sizeof(T));
    return v;
}

template <class T>
inline void put(unsigned char* p, int i, uint32_t v)
{
    const T t = static_cast<T>(v);
    std::memcpy(p + i * sizeof(T), &t, sizeof(T));
}

// 8-bit samples widen by 257 and narrow by 257, to the nearest value: the chain's fixed-point
// steps truncate and land a few units low, and truncating once more would show white as 254
// and tint greys. 16-bit ones pass unchanged.
template <class T>
inline uint32_t widen(uint32_t v)
{
    return sizeof(T) == 1 ? v * 257 : v;
}
template <class T>
inline uint32_t narrow(int32_t v)
{
    return sizeof(T) == 1 ? (static_cast<uint32_t>(v) + 128) / 257 : static_cast<uint32_t>(v) & 0xFFFF;
}

// Readers: the first colour sample of a pixel into c.
template <class T, int N>
struct ReadDevice {
    static inline void read(const unsigned char* p, VCEColor& c, int)
    {
        for (int i = 0; i < N; ++i)
            c.channel[i] = static_cast<int32_t>(widen<T>(sample<T>(p, i)));
        c.colorSpace = N == 3 ? kRGBSpace : kCMYKSpace;
    }
};
template <class T>
struct ReadAny {
    static inline void read(const unsigned char* p, VCEColor& c, int n)
    {
        for (int i = 0; i < n && i < 15; ++i)
            c.channel[i] = static_cast<int32_t>(widen<T>(sample<T>(p, i)));
        c.colorSpace = static_cast<uint32_t>(n);
    }
};
struct ReadTiffLab8 {
    static inline void read(const unsigned char* p, VCEColor& c, int) { tiffLab8_to_VCELab(p, &c); }
};
struct ReadTiffLab16 {
    static inline void read(const unsigned char* p, VCEColor& c, int)
    {
        unsigned short v[3];
        std::memcpy(v, p, sizeof v);
        tiffLab16_to_VCELab(v, &c);
    }
};
struct ReadPxLab8 {
    static inline void read(const unsigned char* p, VCEColor& c, int) { pxLab8_to_VCELab(p, &c); }
};
struct ReadPxLab16 {
    static inline void read(const unsigned char* p, VCEColor& c, int)
    {
        unsigned short v[3];
        std::memcpy(v, p, sizeof v);
        pxLab16_to_VCELab(v, &c);
    }
};

// Writers: c into the colour samples of a pixel.
template <class T, int N>
struct WriteDevice {
    static inline void write(unsigned char* p, const VCEColor& c, int)
    {
        for (int i = 0; i < N; ++i)
            put<T>(p, i, narrow<T>(c.channel[i]));
    }
};
template <class T>
struct WriteAny {
    static inline void write(unsigned char* p, const VCEColor& c, int n)
    {
        for (int i = 0; i < n && i < 15; ++i)
            put<T>(p, i, narrow<T>(c.channel[i]));
    }
};
struct WriteTiffLab8 {
    static inline void write(unsigned char* p, const VCEColor& c, int) { VCELab_to_tiffLab8(c, p); }
};
struct WriteTiffLab16 {
    static inline void write(unsigned char* p, const VCEColor& c, int)
    {
        unsigned short v[3];
        VCELab_to_tiffLab16(c, v);
        std::memcpy(p, v, sizeof v);
    }
};
struct WritePxLab8 {
    static inline void write(unsigned char* p, const VCEColor& c, int) { VCELab_to_pxLab8(c, p); }
};
struct WritePxLab16 {
    static inline void write(unsigned char* p, const VCEColor& c, int)
    {
        unsigned short v[3];
        VCELab_to_pxLab16(c, v);
        std::memcpy(p, v, sizeof v);
    }
};

// Interpolation: the two common shapes of the display link inline, the rest through match.
// (The + 1 of ColorSpace::match, inline.)
struct Interp33 {
    static inline void run(const ColorSpace& l, VCEColor& c)
    {
        c.channel[0] += 1;
        c.channel[1] += 1;
        c.channel[2] += 1;
        l.interpolator.interpo33c2b(&c, c);
    }
};
struct Interp43 {
    static inline void run(const ColorSpace& l, VCEColor& c)
    {
        c.channel[0] += 1;
        c.channel[1] += 1;
        c.channel[2] += 1;
        c.channel[3] += 1;
        l.interpolator.interpo43c2b(&c, c);
    }
};
struct InterpAny {
    static inline void run(const ColorSpace& l, VCEColor& c) { l.match(&c); }
};

struct Rect {
    long dx, dy, x1, y1, x2, y2;
};

template <class R, class W, class I>
void convertRect(GenericImage* dst, const ColorSpace& link, const GenericImage& src, const Rect& r)
{
    const BitmapFormat& sf = src.get_bitmap_format();
    const BitmapFormat& df = dst->get_bitmap_format();
    const int sn = sf.channel_count, dn = df.channel_count;
    const long sStep = sf.bytes_per_pixel, dStep = df.bytes_per_pixel;
    VCEColor c{};
    for (long y = r.y1; y < r.y2; ++y) {
        const unsigned char* sp =
            src.get_bitmap() + static_cast<std::size_t>(y) * sf.row_bytes + r.x1 * sStep + sf.channel_offset;
        unsigned char* dp = dst->get_bitmap() + static_cast<std::size_t>(r.dy + y - r.y1) * df.row_bytes +
                            r.dx * dStep + df.channel_offset;
        for (long x = r.x1; x < r.x2; ++x) {
            R::read(sp, c, sn);
            I::run(link, c);
            W::write(dp, c, dn);
            sp += sStep;
            dp += dStep;
        }
    }
}

template <class R, class W>
void withInterp(GenericImage* dst, const ColorSpace& link, const GenericImage& src, const Rect& r)
{
    if (!link.isReady())
        return convertRect<R, W, InterpAny>(dst, link, src, r);
    switch (link.interpolator.modeCode) {
    case CLUTInterpolator::mode33c2b:
        return convertRect<R, W, Interp33>(dst, link, src, r);
    case CLUTInterpolator::mode43c2b:
        return convertRect<R, W, Interp43>(dst, link, src, r);
    default:
        return convertRect<R, W, InterpAny>(dst, link, src, r);
    }
}

template <class R>
void withWriter(GenericImage* dst, const ColorSpace& link, const GenericImage& src, const Rect& r)
{
    const BitmapFormat& f = dst->get_bitmap_format();
    const bool eight = f.bytes_per_channel == 1;
    switch (f.color_mode) {
    case BitmapFormat::modeRGB:
        // The display page: the shapes that matter for speed.
        return eight ? withInterp<R, WriteDevice<uint8_t, 3>>(dst, link, src, r)
                     : convertRect<R, WriteDevice<uint16_t, 3>, InterpAny>(dst, link, src, r);
    case BitmapFormat::modeCMYK:
        return eight ? convertRect<R, WriteDevice<uint8_t, 4>, InterpAny>(dst, link, src, r)
                     : convertRect<R, WriteDevice<uint16_t, 4>, InterpAny>(dst, link, src, r);
    case BitmapFormat::modeTiffLab:
        return eight ? convertRect<R, WriteTiffLab8, InterpAny>(dst, link, src, r)
                     : convertRect<R, WriteTiffLab16, InterpAny>(dst, link, src, r);
    case BitmapFormat::modePxLab:
        return eight ? convertRect<R, WritePxLab8, InterpAny>(dst, link, src, r)
                     : convertRect<R, WritePxLab16, InterpAny>(dst, link, src, r);
    default:
        return eight ? convertRect<R, WriteAny<uint8_t>, InterpAny>(dst, link, src, r)
                     : convertRect<R, WriteAny<uint16_t>, InterpAny>(dst, link, src, r);
    }
}

} // namespace

void image_color_convert(GenericImage* dst, long dx, long dy, const ColorSpace& link, const GenericImage& src,
                         long x1, long y1, long x2, long y2)
{
    if (x2 <= x1 || y2 <= y1 || !dst->get_bitmap() || !src.get_bitmap())
        return;
    const Rect r{dx, dy, x1, y1, x2, y2};
    const BitmapFormat& f = src.get_bitmap_format();
    const bool eight = f.bytes_per_channel == 1;
    switch (f.color_mode) {
    case BitmapFormat::modeRGB:
        return eight ? withWriter<ReadDevice<uint8_t, 3>>(dst, link, src, r)
                     : withWriter<ReadDevice<uint16_t, 3>>(dst, link, src, r);
    case BitmapFormat::modeCMYK:
        return eight ? withWriter<ReadDevice<uint8_t, 4>>(dst, link, src, r)
                     : withWriter<ReadDevice<uint16_t, 4>>(dst, link, src, r);
    case BitmapFormat::modeTiffLab:
        return eight ? withWriter<ReadTiffLab8>(dst, link, src, r) : withWriter<ReadTiffLab16>(dst, link, src, r);
    case BitmapFormat::modePxLab:
        return eight ? withWriter<ReadPxLab8>(dst, link, src, r) : withWriter<ReadPxLab16>(dst, link, src, r);
    default:
        return eight ? withWriter<ReadAny<uint8_t>>(dst, link, src, r) : withWriter<ReadAny<uint16_t>>(dst, link, src, r);
    }
}

} // namespace vemora
