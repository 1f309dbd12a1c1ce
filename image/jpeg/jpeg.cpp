#include "image/jpeg/jpeg.h"

#include "foundation/carbon_file.h"
#include "foundation/unistring.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace vemora {

dxJPEG::IdMapHolder dxJPEG::singleIdChecker_;
const unsigned char dxJPEG::icc_profile_sign_[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

namespace {

// libjpeg's error manager with the jump buffer right behind it.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Everything the decoding frame works with, plain data only.
struct Decoding {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::FILE* file;
    dxJPEG* host;
    const uint32_t* markers;
    std::size_t marker_count;
};

extern "C" void error_exit_hook(j_common_ptr cinfo)
{
    (*cinfo->err->output_message)(cinfo);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Pulls length bytes from the source manager; a source without data fails through libjpeg's
// error exit. No object with a destructor lives here: the error exit jumps over this frame.
void read_marker_data(unsigned char* dst, j_decompress_ptr cinfo, std::size_t length)
{
    jpeg_source_mgr* src = cinfo->src;
    while (length > 0) {
        if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo))
            ERREXIT(cinfo, JERR_CANT_SUSPEND);
        const std::size_t n = length < src->bytes_in_buffer ? length : src->bytes_in_buffer;
        if (dst) {
            std::memcpy(dst, src->next_input_byte, n);
            dst += n;
        }
        src->next_input_byte += n;
        src->bytes_in_buffer -= n;
        length -= n;
    }
}

// The marker processor. Its payload goes straight into a chunk the reader already holds, so
// a failure inside libjpeg leaves nothing behind in this frame.
extern "C" boolean dxJPEG_read_marker(j_decompress_ptr cinfo)
{
    dxJPEG* reader = dxJPEG::get_host(cinfo);
    unsigned char len[2];
    read_marker_data(len, cinfo, 2);
    const unsigned length = static_cast<unsigned>(len[0]) << 8 | len[1];
    if (length < 2)
        ERREXIT(cinfo, JERR_BAD_LENGTH);
    unsigned char* data = reader ? reader->new_chunk(static_cast<uint32_t>(cinfo->unread_marker), length - 2) : nullptr;
    if (reader && !data && length > 2)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    read_marker_data(data, cinfo, length - 2);
    return TRUE;
}

// The frame that libjpeg's error exit jumps back to. It owns no object with a destructor
// (a longjmp would skip them), and the C++ work it needs (making the image) is done in
// non-throwing member functions that have returned before libjpeg runs again.
bool run_decoder(Decoding* d)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_create_decompress(&d->cinfo);
    jpeg_stdio_src(&d->cinfo, d->file);
    for (std::size_t i = 0; i < d->marker_count; ++i)
        jpeg_set_marker_processor(&d->cinfo, static_cast<int>(d->markers[i]), dxJPEG_read_marker);
    jpeg_read_header(&d->cinfo, TRUE);
    jpeg_start_decompress(&d->cinfo);

    jpeg_decompress_struct& c = d->cinfo;
    const int32_t mode = dxJPEG::get_pixel_color_by_jpeg_color(c.out_color_space);
    const bool invert = mode == BitmapFormat::modeCMYK && d->host->invert();
    BitmapFormat f;
    f.width = static_cast<int32_t>(c.output_width);
    f.height = static_cast<int32_t>(c.output_height);
    f.row_bytes = static_cast<int32_t>(c.output_width * static_cast<unsigned>(c.output_components));
    f.color_mode = mode;
    f.channel_count = c.output_components;
    f.channel_offset = 0;
    f.bytes_per_channel = 1;
    f.bytes_per_pixel = c.output_components;
    if (!d->host->make_image(f))
        return false;
    unsigned char* out = d->host->image_bitmap();
    const std::size_t row_bytes = static_cast<std::size_t>(f.row_bytes);
    JSAMPARRAY row = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                            static_cast<JDIMENSION>(row_bytes), 1);
    while (c.output_scanline < c.output_height) {
        jpeg_read_scanlines(&c, row, 1);
        if (invert)
            for (std::size_t i = 0; i < row_bytes; ++i)
                row[0][i] = static_cast<JSAMPLE>(255 - row[0][i]);
        std::memcpy(out, row[0], row_bytes);
        out += row_bytes;
    }
    jpeg_finish_decompress(&c);
    return true;
}

} // namespace

dxJPEG::dxJPEG() = default;

dxJPEG::~dxJPEG()
{
    id_map_ref.dispose();
    // The last reader gone, the registry goes too.
    if (singleIdChecker_.getUseCount() == 1)
        singleIdChecker_.dispose();
}

bool dxJPEG::is_jpeg(dxStream& stream)
{
    bool answer = false;
    try {
        const long long pos = stream.getPos();
        try {
            stream.setPos(0, true);
            unsigned char b[2];
            stream.read_byte(b, 2);
            answer = b[0] == 0xFF && b[1] == 0xD8;
        } catch (...) {
            answer = false;
        }
        stream.setPos(pos, true);
    } catch (...) {
    }
    return answer;
}

std::vector<uint32_t> dxJPEG::get_icc_profile_marker()
{
    return {JPEG_APP0 + 2};
}

int32_t dxJPEG::get_pixel_color_by_jpeg_color(int jpeg_color_space)
{
    switch (jpeg_color_space) {
    case JCS_GRAYSCALE:
        return BitmapFormat::modeGray;
    case JCS_RGB:
        return BitmapFormat::modeRGB;
    case JCS_CMYK:
        return BitmapFormat::modeCMYK;
    default:
        return BitmapFormat::modeUndefined;
    }
}

void dxJPEG::register_id_checker(const jpeg_decompress_struct* cinfo)
{
    if (!singleIdChecker_.get())
        singleIdChecker_ = IdMapHolder(new IdMap);
    if (!id_map_ref.get())
        id_map_ref = singleIdChecker_;
    (*singleIdChecker_.get())[cinfo] = this;
}

void dxJPEG::unregister_id_checker(const jpeg_decompress_struct* cinfo)
{
    if (singleIdChecker_.get())
        singleIdChecker_.get()->erase(cinfo);
}

dxJPEG* dxJPEG::get_host(const jpeg_decompress_struct* cinfo)
{
    IdMap* map = singleIdChecker_.get();
    if (!map)
        return nullptr;
    const IdMap::const_iterator it = map->find(cinfo);
    return it == map->end() ? nullptr : it->second;
}

bool dxJPEG::make_image(const BitmapFormat& format) noexcept
{
    if (format.byte_size() > max_pixel_buffer_bytes())
        return false;
    try {
        PointerHolder<GenericImage> fresh(new GenericImage);
        fresh->create(format);
        image = fresh;
        return true;
    } catch (...) {
        return false;
    }
}

unsigned char* dxJPEG::new_chunk(uint32_t marker, std::size_t length) noexcept
{
    try {
        Chunk c;
        c.marker = marker;
        c.data.resize(length);
        chunks.push_back(std::move(c));
        return length ? chunks.back().data.data() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

bool dxJPEG::read_jpeg(const std::vector<uint32_t>& markers, dxStream& stream)
{
    std::string path;
    try {
        FSRef ref;
        if (!stream.getFileLocation().getFSRef(&ref))
            return false;
        dxString posix;
        if (!nsp_MacCarbonFile::getPosixPathByFSRef(&posix, ref))
            return false;
        path = posix.str();
    } catch (...) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;

    // Heap-held so that its address, the registry key, stays fixed; plain data throughout.
    auto* d = new Decoding;
    std::memset(d, 0, sizeof *d);
    d->file = file;
    d->host = this;
    d->markers = markers.data();
    d->marker_count = markers.size();
    d->cinfo.err = jpeg_std_error(&d->err.pub);
    d->err.pub.error_exit = error_exit_hook;
    bool ok = false;
    try {
        register_id_checker(&d->cinfo);
        ok = run_decoder(d);
    } catch (...) {
        ok = false;
    }
    jpeg_destroy_decompress(&d->cinfo);
    std::fclose(file);
    unregister_id_checker(&d->cinfo);
    delete d;
    if (!ok)
        image.dispose();
    return ok;
}

bool dxJPEG::get_icc_profile(std::vector<unsigned char>& bytes)
{
    std::vector<bool> used(chunks.size(), false);
    unsigned count = 1;
    for (unsigned i = 1; i <= count; ++i) {
        std::size_t found = chunks.size();
        for (std::size_t k = 0; k < chunks.size(); ++k) {
            const std::vector<unsigned char>& d = chunks[k].data;
            if (d.size() > 14 && std::memcmp(d.data(), icc_profile_sign_, 12) == 0 && d[12] == i) {
                found = k;
                break;
            }
        }
        if (found == chunks.size())
            return false;
        const std::vector<unsigned char>& d = chunks[found].data;
        bytes.insert(bytes.end(), d.begin() + 14, d.end());
        used[found] = true;
        if (i == 1)
            count = d[13] ? d[13] : 1;
    }
    std::vector<Chunk> rest;
    for (std::size_t k = 0; k < chunks.size(); ++k)
        if (!used[k])
            rest.push_back(std::move(chunks[k]));
    chunks.swap(rest);
    return true;
}

} // namespace vemora
