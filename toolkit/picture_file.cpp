#include "toolkit/picture_file.h"

#include "image/tiff/tiff.h"

#include <cstdio>
#include <cstring>

namespace vemora::nsp_Carbon {

namespace {
PictureFileReader g_reader = nullptr;
}

void set_picture_file_reader(PictureFileReader reader)
{
    g_reader = reader;
}

// The system's own TIFF reader: first IFD, 8-bit samples, into a picture of the same layout.
bool read_tiff_picture(const FSRef& file, ToolkitImageHolder& out)
{
    try {
        dxStream stream(dxStream::sourceFile);
        if (!stream.doOpen(file, dxStream::readPermission))
            return false;
        dxTIFF tiff;
        if (!tiff.Read(stream) || tiff.GetIFDCount() == 0 || !tiff.Is_IFDOK(0))
            return false;
        GenericImage decoded;
        if (!tiff.load_image(&decoded, 0))
            return false;
        const BitmapFormat& f = decoded.get_bitmap_format();
        if (f.bytes_per_channel != 1 || !decoded.get_bitmap())
            return false;
        PictureFormat pf;
        pf.width = f.width;
        pf.height = f.height;
        pf.row_bytes = f.row_bytes;
        pf.color_mode = f.color_mode;
        pf.channel_count = f.channel_count;
        pf.channel_offset = f.channel_offset;
        pf.bytes_per_channel = f.bytes_per_channel;
        pf.bytes_per_pixel = f.bytes_per_pixel;
        auto* image = new ToolkitImage();
        image->create(pf);
        std::memcpy(image->get_bitmap(), decoded.get_bitmap(), image->pixels.size());
        out = ToolkitImageHolder(image);
        return true;
    } catch (...) {
        return false;
    }
}

bool read_picture_file(const FSRef& file, ToolkitImageHolder& out)
{
    return g_reader ? g_reader(file, out) : read_tiff_picture(file, out);
}

} // namespace vemora::nsp_Carbon
