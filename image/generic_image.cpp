#include "image/generic_image.h"

namespace vemora {

std::size_t BitmapFormat::byte_size() const
{
    if (height <= 0 || row_bytes <= 0)
        return 0;
    return static_cast<std::size_t>(height) * static_cast<std::size_t>(row_bytes);
}

void GenericImage::create(const BitmapFormat& f)
{
    // Allocate before changing anything, so a failed allocation leaves the image as it was.
    auto* buf = new std::vector<unsigned char>(f.byte_size(), 0);
    format = f;
    adopt_buffer(buf);
}

void GenericImage::set_bitmap(unsigned char* data, unsigned long size)
{
    pixels.dispose();
    bitmap = data;
    bitmap_size = size;
    bitmap_kind = bitmapForeign;
}

void GenericImage::adopt_buffer(std::vector<unsigned char>* buf)
{
    pixels.allocate(buf, true);
    bitmap = buf->data();
    bitmap_size = static_cast<unsigned long>(buf->size());
    bitmap_kind = bitmapOwned;
}

} // namespace vemora
