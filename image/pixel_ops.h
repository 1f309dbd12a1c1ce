#pragma once
// Reshaping and reading of whole images: widening pixels with padding bytes, copying
// rectangles, TIFF CIELab to the engine's Lab encoding, the colour sampler's average, and the
// rotations by 90 degrees. They work on interleaved pixels of any channel count with 8- or
// 16-bit samples. None of them locks: an image must not change while another thread reads it.
#include "image/generic_image.h"

namespace vemora {

// Widens every pixel by extra bytes of fill, after the colour bytes or (before) in front of
// them; the image gets a new owned buffer.
void canvas_pixel_byte(GenericImage* image, unsigned long extra, bool before, unsigned char fill);

// Copies the pixels of src in columns x1 ... x2 - 1 and rows y1 ... y2 - 1 to dst with the
// top-left at (dx, dy). Nothing is clipped: the rectangle must lie inside both images.
void copy_gimage(GenericImage* dst, long dx, long dy, const GenericImage& src, long x1, long y1, long x2, long y2);

// TIFF CIELab (signed a, b) to the engine encoding (a, b with the middle value as zero), in
// place; false, nothing changed, for samples other than 8 or 16 bits.
bool convert_tifflab_to_pxlab(GenericImage* image);

// Averages each sample over the size × size square around (x, y), clipped to the image;
// false when the square misses the image.
bool get_pixel_sample(long* out, long x, long y, long size, const GenericImage& image);

// dst becomes src turned by 90 degrees clockwise (right) or counter-clockwise (left).
void gimage_rotate_right(GenericImage* dst, const GenericImage& src);
void gimage_rotate_left(GenericImage* dst, const GenericImage& src);

} // namespace vemora
