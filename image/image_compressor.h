#pragma once
// Bilinear reduction of an image for display below 100 %: per-column and per-row source
// positions and 8-bit weights are computed once per zoom factor and applied to any rectangle
// of the reduced image, tile by tile.
#include "image/generic_image.h"

#include <cstdint>
#include <vector>

namespace vemora {
namespace nsp_ImageCompressor {

struct HIndex {
    int32_t offset0; // byte offset in a row of the left source pixel
    int32_t offset1; // ... of the right one
    int32_t weight;  // 0 ... 256, the share of the right pixel
};

struct VIndex {
    const unsigned char* row0; // upper source row
    const unsigned char* row1; // lower source row
    int32_t weight;            // 0 ... 256, the share of the lower row
};

// The row pointers point into the source's pixels, which must stay alive and unchanged while
// the info is used.
struct CompresseInfo {
    std::vector<HIndex> columns;
    std::vector<VIndex> rows;
    BitmapFormat format;
};

struct RGB_8bit_Interpo {
    using Sample = uint8_t;
    static constexpr int samples = 3;
};
struct CMYK_8bit_Interpo {
    using Sample = uint8_t;
    static constexpr int samples = 4;
};
struct RGB_16bit_Interpo {
    using Sample = uint16_t;
    static constexpr int samples = 3;
};
struct CMYK_16bit_Interpo {
    using Sample = uint16_t;
    static constexpr int samples = 4;
};

void get_compress_info(CompresseInfo* info, double factor, const GenericImage& src);
BitmapFormat get_format_by_compress_info(const CompresseInfo& info);
void init_compress_image(GenericImage* dst, const CompresseInfo& info);
// Computes destination columns x0 ... x1 - 1 of rows y0 ... y1 - 1 (clipped to the reduced
// size) for RGB, engine Lab and CMYK sources; other colour modes are left untouched.
void compress_rect(GenericImage* dst, long x0, long y0, long x1, long y1, const CompresseInfo& info);

} // namespace nsp_ImageCompressor
} // namespace vemora
