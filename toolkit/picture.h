#pragma once
// The raster type the toolkit's pictures and cursors are made of. It has the layout and the
// member names of the system's generic image, so the toolkit takes that type unchanged: the
// alias below and the two accessors are the only lines that name it.
#include "foundation/holders.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vemora::nsp_Carbon {

struct PictureFormat {
    int32_t width = 0;
    int32_t height = 0;
    int32_t row_bytes = 0;
    int32_t color_mode = 0; // 0 RGB
    int32_t channel_count = 0;
    int32_t channel_offset = 0;
    int32_t bytes_per_channel = 1;
    int32_t bytes_per_pixel = 0;
};

// Owns its pixels: height × row_bytes bytes, interleaved, rows top to bottom.
class PictureImage {
public:
    void create(const PictureFormat& f)
    {
        format = f;
        pixels.assign(size_t(f.height > 0 ? f.height : 0) * size_t(f.row_bytes > 0 ? f.row_bytes : 0), 0);
    }
    unsigned char* get_bitmap() { return pixels.empty() ? nullptr : pixels.data(); }
    const unsigned char* get_bitmap() const { return pixels.empty() ? nullptr : pixels.data(); }

    PictureFormat format;
    std::vector<unsigned char> pixels;
};

using ToolkitImage = PictureImage;
using ToolkitImageFormat = PictureFormat;
using ToolkitImageHolder = PointerHolder<ToolkitImage>;

inline const ToolkitImageFormat& image_format(const ToolkitImage& image)
{
    return image.format;
}

inline const unsigned char* image_bitmap(const ToolkitImage& image)
{
    return image.get_bitmap();
}

} // namespace vemora::nsp_Carbon
