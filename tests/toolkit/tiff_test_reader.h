#pragma once
// Test-side picture decoder on libtiff (the reference reader): 8-bit chunky RGB and RGBA
// files into toolkit images, as the interface pictures are written.
#include "toolkit/picture_file.h"

#include <tiffio.h>

namespace vgtest {

inline bool readTiffPicture(const vemora::FSRef& file, vemora::nsp_Carbon::ToolkitImageHolder& out)
{
    TIFF* t = TIFFOpen(file.path.c_str(), "r");
    if (!t)
        return false;
    uint32_t w = 0, h = 0;
    uint16_t spp = 0, bps = 0, planar = 1;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    bool ok = w && h && w < 4096 && h < 4096 && bps == 8 && (spp == 3 || spp == 4) && planar == 1;
    auto* image = new vemora::nsp_Carbon::ToolkitImage();
    if (ok) {
        vemora::nsp_Carbon::ToolkitImageFormat f;
        f.width = int32_t(w);
        f.height = int32_t(h);
        f.channel_count = spp;
        f.bytes_per_channel = 1;
        f.bytes_per_pixel = spp;
        f.row_bytes = int32_t(w * spp);
        image->create(f);
        for (uint32_t y = 0; ok && y < h; ++y)
            ok = TIFFReadScanline(t, image->get_bitmap() + size_t(y) * f.row_bytes, y, 0) == 1;
    }
    TIFFClose(t);
    if (!ok) {
        delete image;
        return false;
    }
    out = vemora::nsp_Carbon::ToolkitImageHolder(image);
    return true;
}

} // namespace vgtest
