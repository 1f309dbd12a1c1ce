#include "image/generic_image.h"

#include <unistd.h>

#include <algorithm>
#include <limits>

namespace vemora {

std::size_t BitmapFormat::byte_size() const
{
    if (height <= 0 || row_bytes <= 0)
        return 0;
    return static_cast<std::size_t>(height) * static_cast<std::size_t>(row_bytes);
}

std::size_t max_pixel_buffer_bytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGESIZE);
    const std::size_t cap = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());
    if (pages <= 0 || page <= 0)
        return cap;
    const unsigned long long bytes = static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(page);
    return static_cast<std::size_t>(std::min<unsigned long long>(bytes, cap));
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
