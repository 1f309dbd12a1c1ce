#include "render.h"

#include "engine/image_convert.h"

#include <png.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace vemoraVeriglow {

using namespace vemora;
using vemora::cms::vemICC::nsp_VCE::ColorSpace;

namespace {

constexpr long kBandRows = 50; // the height of the proof view's tiles

void copyNative(GenericImage* page, const GenericImage& image, long y0, long y1)
{
    const BitmapFormat& s = image.get_bitmap_format();
    const BitmapFormat& d = page->get_bitmap_format();
    for (long y = y0; y < y1; ++y) {
        const unsigned char* src = image.get_bitmap() + y * static_cast<long>(s.row_bytes) + s.channel_offset;
        unsigned char* dst = page->get_bitmap() + y * static_cast<long>(d.row_bytes);
        for (long x = 0; x < s.width; ++x, src += s.bytes_per_pixel, dst += 4)
            std::memcpy(dst, src, 3);
    }
}

} // namespace

void render_page(GenericImage* page, const GenericImage& image, const ColorSpace* link, unsigned threads)
{
    const BitmapFormat& s = image.get_bitmap_format();
    BitmapFormat f;
    f.width = s.width;
    f.height = s.height;
    f.row_bytes = s.width * 4;
    f.color_mode = BitmapFormat::modeRGB;
    f.channel_count = 3;
    f.channel_offset = 0;
    f.bytes_per_channel = 1;
    f.bytes_per_pixel = 4;
    page->create(f);

    const long bands = (s.height + kBandRows - 1) / kBandRows;
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<long>(threads, std::max(1L, bands)));
    std::atomic<long> next{0};
    auto work = [&]() {
        for (long band; (band = next.fetch_add(1)) < bands;) {
            const long y0 = band * kBandRows, y1 = std::min<long>(y0 + kBandRows, s.height);
            if (link)
                image_color_convert(page, 0, y0, *link, image, 0, y0, s.width, y1);
            else
                copyNative(page, image, y0, y1);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (auto& t : pool)
        t.join();
}

namespace {

struct PngFailure {
    char message[200] = {};
};

void onPngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The libpng part, kept apart from anything with a destructor: its errors leave by longjmp.
bool encode(std::FILE* file, const GenericImage& page, const std::vector<unsigned char>& profile,
            const char* profileName, PngFailure* failure)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, failure, onPngError, onPngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const BitmapFormat& f = page.get_bitmap_format();
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(f.width), static_cast<png_uint_32>(f.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (!profile.empty())
        png_set_iCCP(png, info, profileName, PNG_COMPRESSION_TYPE_BASE, profile.data(),
                     static_cast<png_uint_32>(profile.size()));
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER); // the page's fourth byte is not written
    for (int32_t y = 0; y < f.height; ++y)
        png_write_row(png, page.get_bitmap() + static_cast<std::size_t>(y) * f.row_bytes);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// PNG profile names are 1 to 79 Latin-1 characters without leading, trailing or double spaces.
std::string pngProfileName(const std::string& description)
{
    std::string name;
    for (unsigned char c : description) {
        const char k = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '_';
        if (k == ' ' && (name.empty() || name.back() == ' '))
            continue;
        name += k;
    }
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    if (name.size() > 79)
        name.resize(79);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name.empty() ? "ICC profile" : name;
}

} // namespace

bool write_png(const std::string& path, const GenericImage& page, const std::vector<unsigned char>& profile,
               const std::string& profileName, std::string* error)
{
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        *error = std::string("cannot create a file next to ") + path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; a proof is an ordinary document.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(temp.c_str());
        *error = std::string("cannot write ") + temp + ": " + std::strerror(errno);
        return false;
    }
    PngFailure failure;
    const std::string name = pngProfileName(profileName);
    bool ok = encode(file, page, profile, name.c_str(), &failure);
    if (!ok)
        *error = std::string("cannot encode the PNG: ") + failure.message;
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
        if (ok)
            *error = std::string("cannot write ") + temp + ": " + std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        *error = std::string("cannot write ") + temp + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        *error = std::string("cannot rename the finished file to ") + path + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

} // namespace vemoraVeriglow
