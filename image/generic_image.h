#pragma once
// The in-memory raster of the system: interleaved samples of 8 or 16 bits (16-bit samples in
// the machine's byte order), rows top to bottom. The image owns its pixel buffer or wraps a
// buffer owned by someone else.
#include "foundation/color_mode.h"
#include "foundation/holders.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vemora {


struct BitmapFormat {
    // Image colour modes.
    enum : int32_t {
        modeRGB = 0,
        modeCMYK = 1,
        modeTiffLab = 6, // L unsigned, a and b two's complement
        modePxLab = 7,   // L unsigned, a and b unsigned with the middle value as zero
        modeGray = 8,
        modeUndefined = 128
    };

    int32_t width = 0;
    int32_t height = 0;
    int32_t row_bytes = 0;
    int32_t color_mode = modeUndefined;
    int32_t channel_count = 0;
    int32_t channel_offset = 0;
    int32_t bytes_per_channel = 0;
    int32_t bytes_per_pixel = 0;

    bool operator==(const BitmapFormat& o) const
    {
        return width == o.width && height == o.height && row_bytes == o.row_bytes && color_mode == o.color_mode &&
               channel_count == o.channel_count && channel_offset == o.channel_offset &&
               bytes_per_channel == o.bytes_per_channel && bytes_per_pixel == o.bytes_per_pixel;
    }
    bool operator!=(const BitmapFormat& o) const { return !(*this == o); }

    // height × row_bytes, computed without overflow (0 for negative fields).
    std::size_t byte_size() const;
};

class GenericImage {
public:
    enum : int32_t { bitmapNone = 0, bitmapOwned = 1, bitmapForeign = 2 };

    GenericImage() = default;
    // A copy shares the owned buffer (a foreign buffer stays foreign).
    GenericImage(const GenericImage&) = default;
    GenericImage& operator=(const GenericImage&) = default;
    ~GenericImage() = default;

    // Takes the format and a new owned buffer of height × row_bytes zero bytes.
    void create(const BitmapFormat& f);
    void set_bitmap_format(const BitmapFormat& f) { format = f; }
    // Wraps data, which must outlive its use by the image; the owned buffer is released.
    void set_bitmap(unsigned char* data, unsigned long size);
    // Takes buf as the owned pixels (the way the pixel operations hand over a new buffer).
    void adopt_buffer(std::vector<unsigned char>* buf);

    unsigned char* get_bitmap() { return bitmap; }
    const unsigned char* get_bitmap() const { return bitmap; }
    const BitmapFormat& get_bitmap_format() const { return format; }
    unsigned long get_bitmap_size() const { return bitmap_size; }
    int32_t get_bitmap_kind() const { return bitmap_kind; }

    PointerHolder<std::vector<unsigned char>> pixels;
    unsigned char* bitmap = nullptr;
    int32_t bitmap_kind = bitmapNone;
    // Bytes in the bitmap. Wider than 32 bits: large 16-bit CMYK images pass 4 GB.
    unsigned long bitmap_size = 0;
    BitmapFormat format;
};

using GenericImageHolder = PointerHolder<GenericImage>;

// The largest pixel buffer a reader makes for a file: what the machine's memory can hold.
// Files claiming more are refused before anything is allocated.
std::size_t max_pixel_buffer_bytes();

} // namespace vemora
