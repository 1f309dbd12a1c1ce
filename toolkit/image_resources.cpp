#include "toolkit/image_resources.h"

#include "toolkit/carbon_helpers.h"
#include "toolkit/picture_file.h"

#include "foundation/stream.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace vemora::nsp_Carbon {

using nsp_It8TypeReader::Reader;
using Text = BasicUniString<unsigned short>;

namespace {

// A description file is a few kilobytes; anything far larger is not one.
constexpr unsigned long long kMaxDescriptionBytes = 1u << 20;

Text text(const char* s)
{
    Text t;
    t.assign(reinterpret_cast<const unsigned char*>(s), 0, BasicUniString<unsigned short>::charLength(s));
    return t;
}

std::string narrow(const Text& t)
{
    std::string s;
    for (unsigned short u : t.units())
        s.push_back(char(u & 0xFF));
    return s;
}

// The C library's rule: leading digits (after an optional sign), 0 when there are none.
int32_t decimalValue(const Text& t)
{
    std::string s = narrow(t);
    errno = 0;
    long v = std::strtol(s.c_str(), nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return int32_t(v);
}

// A plain file or folder name: no path separators, no "." or "..".
bool isPlainName(const Text& t)
{
    if (t.empty())
        return false;
    std::string s = narrow(t);
    return s.find('/') == std::string::npos && s.find('\0') == std::string::npos && s != "." && s != "..";
}

bool readWholeFile(const FileLocation& file, Text* out)
{
    try {
        dxStream s;
        if (!s.open(file, dxStream::readPermission, false))
            return false;
        unsigned long long size = s.getSize();
        if (size > kMaxDescriptionBytes)
            return false;
        std::vector<unsigned char> bytes(static_cast<size_t>(size));
        if (size)
            s.read_byte(bytes.data(), static_cast<unsigned long>(size));
        out->assign(bytes.data(), 0, static_cast<unsigned long>(bytes.size())); // each byte widened
        return true;
    } catch (...) {
        return false;
    }
}

// The picture as 32-bit pixels: a filler byte of 255 in front of its red, green and blue.
bool widenWithFiller(const ToolkitImage& image, std::vector<unsigned char>& out, int* w, int* h)
{
    const ToolkitImageFormat& f = image_format(image);
    const unsigned char* src = image_bitmap(image);
    if (!src || f.width <= 0 || f.height <= 0 || f.bytes_per_channel != 1 || f.channel_count < 3 ||
        f.bytes_per_pixel < f.channel_offset + 3 || f.row_bytes < f.width * f.bytes_per_pixel)
        return false;
    out.assign(size_t(f.width) * size_t(f.height) * 4, 0);
    for (int y = 0; y < f.height; ++y) {
        const unsigned char* row = src + size_t(y) * size_t(f.row_bytes);
        unsigned char* dst = out.data() + size_t(y) * size_t(f.width) * 4;
        for (int x = 0; x < f.width; ++x) {
            const unsigned char* p = row + size_t(x) * size_t(f.bytes_per_pixel) + f.channel_offset;
            dst[x * 4] = 255;
            dst[x * 4 + 1] = p[0];
            dst[x * 4 + 2] = p[1];
            dst[x * 4 + 3] = p[2];
        }
    }
    *w = f.width;
    *h = f.height;
    return true;
}

} // namespace

// ---------------------------------------------------------------- ImgResourceMng

void ImgResourceMng::set_reader(Reader& reader)
{
    reader.addSeparateChar(' ');
    reader.addSeparateChar('\t');
    reader.addTerminateChar('\r');
    reader.addTerminateChar('\n');
    reader.addCommentChar('#');
    reader.addStringChar('"');
    for (const char* k : {"idclass", "id", "dir", "image", "begin_data_format", "end_data_format", "begin_data",
                          "end_data"})
        reader.addKeyword(text(k));
    reader.setDataReadyParameter(text("begin_data_format"), text("end_data_format"), text("begin_data"),
                                 text("end_data"));
}

bool ImgResourceMng::read_image(const DirLocation& resourceFolder, const Text& fileName,
                                const DirLocation& pictureFolder)
{
    Text raw;
    if (!readWholeFile(FileLocation(resourceFolder, fileName, 0), &raw))
        return false;
    Reader reader;
    set_reader(reader);
    if (!reader.readRawString(raw))
        return false;
    std::vector<long> pos;
    reader.getFormatDataPos(pos, {{text("idclass"), 0}, {text("id"), 0}, {text("dir"), 0}, {text("image"), 0}});
    for (long row = 0; row < reader.getRowCount(); ++row) {
        std::vector<nsp_It8TypeReader::Word> w;
        reader.getWordsByFormatDataPos(w, pos, row);
        DirLocation folder = pictureFolder;
        if (!w[2].text.empty()) {
            if (!isPlainName(w[2].text) || !pictureFolder.getSubDir(&folder, w[2].text))
                return false;
        }
        if (!isPlainName(w[3].text))
            return false;
        FSRef ref;
        if (!FileLocation(folder, w[3].text, 0).getFSRef(&ref))
            return false;
        ToolkitImageHolder image;
        if (!read_picture_file(ref, image) || image.isNull())
            return false;
        ImgResID key{decimalValue(w[0].text), decimalValue(w[1].text)};
        if (!items_.count(key)) { // the first picture under a key stays
            ImgResItem item;
            item.image = image;
            items_.emplace(key, item);
        }
    }
    return true;
}

ToolkitImageHolder ImgResourceMng::get_image(int32_t idClass, int32_t id) const
{
    auto it = items_.find(ImgResID{idClass, id});
    return it == items_.end() ? ToolkitImageHolder() : it->second.image;
}

platform::CGImageRef ImgResourceMng::get_cgimage(int32_t idClass, int32_t id)
{
    auto it = items_.find(ImgResID{idClass, id});
    if (it == items_.end() || it->second.image.isNull())
        return nullptr;
    ImgResItem& item = it->second;
    if (item.cgimage.isNull()) {
        platform::CGImageRef image =
            get_CGImageRef_by_gimage(*item.image, platform::kCGImageAlphaPremultipliedLast);
        if (!image)
            return nullptr;
        item.cgimage = PointerHolder<ImgResItem::CGImageWapper>(new ImgResItem::CGImageWapper(image));
    }
    return item.cgimage->get();
}

// ---------------------------------------------------------------- cursors

CustomCursor::~CustomCursor()
{
    if (assigned_)
        platform::QDUnregisterNamedPixMapCursur(name8_);
}

bool CustomCursor::assign(const Text& name, const ToolkitImage& picture, const ToolkitImage* mask, int16_t v,
                          int16_t h)
{
    std::vector<unsigned char> image, maskPixels;
    int w = 0, ht = 0;
    if (!widenWithFiller(picture, image, &w, &ht))
        return false;
    platform::PixMapDesc imageDesc{image.data(), w, ht, w * 4};
    platform::PixMapDesc maskDesc;
    if (mask) {
        int mw = 0, mh = 0;
        if (!widenWithFiller(*mask, maskPixels, &mw, &mh) || mw != w || mh != ht)
            return false;
        maskDesc = {maskPixels.data(), w, ht, w * 4};
    }
    std::string name8 = narrow(name);
    if (platform::QDRegisterNamedPixMapCursor(imageDesc, mask ? &maskDesc : nullptr, v, h, name8) != platform::noErr)
        return false;
    if (assigned_ && name8 != name8_)
        platform::QDUnregisterNamedPixMapCursur(name8_);
    name_ = name;
    name8_ = name8;
    image_world_.swap(image);
    mask_world_.swap(maskPixels);
    assigned_ = true;
    return true;
}

void CustomCursor::show() const
{
    if (assigned_)
        platform::QDSetNamedPixMapCursor(name8_);
}

bool CarbonCursorMng::add_cursor(int32_t number, const ToolkitImageHolder& picture, const ToolkitImageHolder& mask,
                                 int16_t v, int16_t h)
{
    if (cursors_.count(number) || picture.isNull())
        return false;
    char name[32];
    std::snprintf(name, sizeof name, "%d\n", number + 100);
    PointerHolder<CustomCursor> cursor(new CustomCursor());
    if (!cursor->assign(text(name), *picture, mask.isNull() ? nullptr : mask.get(), v, h))
        return false;
    cursors_.emplace(number, cursor);
    return true;
}

void CarbonCursorMng::show(int32_t number) const
{
    if (number < 100) {
        platform::SetThemeCursor(number);
        return;
    }
    auto it = cursors_.find(number);
    if (it == cursors_.end())
        show_normal();
    else
        it->second->show();
}

void CarbonCursorMng::show_normal()
{
    platform::SetThemeCursor(platform::kThemeArrowCursor);
}

} // namespace vemora::nsp_Carbon
