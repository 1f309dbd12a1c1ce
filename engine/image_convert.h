#pragma once
// Converting a rectangle of an image through a colour link into another image: the innermost
// loop of the display (one read, one interpolation, one write per pixel).
#include "engine/color_space.h"
#include "image/generic_image.h"

namespace vemora {

// Source pixels in columns x1 … x2 − 1 and rows y1 … y2 − 1 go to the destination from
// (dx, dy) on. Nothing is clipped: the caller keeps both rectangles inside their images. Bytes
// of a destination pixel outside its colour samples are not written.
void image_color_convert(GenericImage* dst, long dx, long dy, const cms::vemICC::nsp_VCE::ColorSpace& link,
                         const GenericImage& src, long x1, long y1, long x2, long y2);

} // namespace vemora
