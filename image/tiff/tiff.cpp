#include "image/tiff/tiff.h"

#include "image/tiff/lzw.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

namespace vemora {

namespace {

// TIFF field types.
enum : uint16_t { typeByte = 1, typeShort = 3, typeLong = 4 };

// An IFD this reader cannot decode, or a file whose structure does not hold together; the
// caller sees it as "Load image error".
struct Refused {};

bool host_is_little_endian()
{
    const uint16_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

uint32_t decode_value(const unsigned char* p, int size, bool little)
{
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (little ? i : size - 1 - i);
        v |= static_cast<uint32_t>(p[i]) << shift;
    }
    return v;
}

uint16_t read16(dxStream& s)
{
    unsigned short v;
    s.read_Uint2(v);
    return v;
}

uint32_t read32(dxStream& s)
{
    unsigned long v;
    s.read_Uint4(v);
    return static_cast<uint32_t>(v);
}

template <int Spp>
void accumulate8(unsigned char* row, std::size_t width)
{
    for (std::size_t i = Spp; i < width * Spp; i += Spp)
        for (int k = 0; k < Spp; ++k)
            row[i + k] = static_cast<unsigned char>(row[i + k] + row[i + k - Spp]);
}

template <int Spp>
void accumulate16(unsigned char* row, std::size_t width)
{
    uint16_t prev[Spp];
    std::memcpy(prev, row, sizeof prev);
    for (std::size_t i = 1; i < width; ++i) {
        uint16_t cur[Spp];
        unsigned char* p = row + i * 2 * Spp;
        std::memcpy(cur, p, sizeof cur);
        for (int k = 0; k < Spp; ++k)
            prev[k] = cur[k] = static_cast<uint16_t>(cur[k] + prev[k]);
        std::memcpy(p, cur, sizeof cur);
    }
}

// One sample into sample position `plane` of every pixel.
void spread_plane(unsigned char* dst, const unsigned char* src, const dxTIFF::ScanLineInfo& info, int plane)
{
    const int bpc = info.bytes_per_channel, bpp = info.bytes_per_pixel;
    unsigned char* d = dst + plane * bpc;
    if (bpc == 1) {
        for (uint32_t x = 0; x < info.width; ++x, d += bpp)
            *d = src[x];
    } else {
        for (uint32_t x = 0; x < info.width; ++x, d += bpp, src += 2)
            std::memcpy(d, src, 2);
    }
}

} // namespace

// ---- IFD_struct ----

int dxTIFF::IFD_struct::GetStandardChannel() const
{
    switch (photometric) {
    case 0:
    case 1:
    case 3:
    case 4:
        return 1;
    case 2:
    case 6:
    case 8:
        return 3;
    case 5:
        return 4;
    default:
        return 0;
    }
}

int dxTIFF::IFD_struct::GetBytePerChannel() const
{
    if (bits_per_sample.empty())
        return 0;
    return bits_per_sample[0] == 8 ? 1 : bits_per_sample[0] == 16 ? 2 : 0;
}

std::size_t dxTIFF::IFD_struct::GetRowBytes() const
{
    return static_cast<std::size_t>(width) * samples_per_pixel * static_cast<std::size_t>(GetBytePerChannel());
}

uint32_t dxTIFF::IFD_struct::GetBytePerStrip(std::size_t i) const
{
    if (strip_byte_counts.empty())
        return 0;
    return strip_byte_counts.size() < 2 ? strip_byte_counts[0] : strip_byte_counts[i];
}

uint32_t dxTIFF::IFD_struct::GetRowCountPerStrip(std::size_t i) const
{
    if (rows_per_strip.size() > 1)
        return rows_per_strip[i];
    if (rows_per_strip.empty() || rows_per_strip[0] == 0)
        return 0;
    const uint32_t r = rows_per_strip[0];
    if (i + 1 == GetStripCount()) {
        const uint32_t rest = length % r;
        return rest ? rest : r;
    }
    return r;
}

// ---- dxTIFF ----

dxTIFF::dxTIFF()
{
    ifds.reserve(2);
    supported_photometrics.reserve(9);
    supported_compressions.reserve(10);
}

bool dxTIFF::IsTIFF(dxStream& stream)
{
    bool answer = false;
    long long pos = 0;
    const dxStream::ByteOrder order = stream.getByteOrder();
    try {
        pos = stream.getPos();
    } catch (...) {
        return false;
    }
    try {
        stream.setPos(0, true);
        stream.setByteOrder(dxStream::bigEndian);
        const uint16_t mark = read16(stream);
        if (mark == orderII || mark == orderMM) {
            stream.setByteOrder(mark == orderII ? dxStream::littleEndian : dxStream::bigEndian);
            answer = read16(stream) == 42;
        }
    } catch (...) {
        answer = false;
    }
    try {
        stream.setPos(pos, true);
    } catch (...) {
    }
    stream.setByteOrder(order);
    return answer;
}

void dxTIFF::ReadHeader()
{
    stream->setPos(0, true);
    stream->setByteOrder(dxStream::bigEndian);
    const uint16_t mark = read16(*stream);
    if (mark == orderII) {
        stream->setByteOrder(dxStream::littleEndian);
        byte_order = orderII;
    } else if (mark == orderMM) {
        stream->setByteOrder(dxStream::bigEndian);
        byte_order = orderMM;
    } else {
        throw ExceptionDebuggErrorID(-1500, "Byte order define error");
    }
    if (read16(*stream) != 42)
        throw ExceptionDebuggErrorID(-1501, "That are not TIFF file");
    first_ifd = read32(*stream);
    if (first_ifd == 0)
        throw ExceptionDebuggErrorID(-1506, "No first IFD");
}

bool dxTIFF::Read(dxStream& s)
{
    try {
        if (used)
            throw ExceptionDebuggErrorID(-1504, "dxTIFF is handled other image");
        stream = &s;
        if (supported_photometrics.empty())
            for (uint32_t v : {0u, 1u, 2u, 5u, 8u})
                AddSupportedPhoto(v);
        if (supported_compressions.empty())
            for (uint32_t v : {1u, 5u})
                AddSupportedCompression(v);
        ReadHeader();
        // A chain that comes back to an IFD already read ends there.
        std::set<uint32_t> seen;
        for (uint32_t offset = first_ifd; offset != 0 && seen.insert(offset).second;)
            offset = ReadIFD(offset);
        used = true;
    } catch (...) {
        throw ExceptionDebuggErrorID(-1503, "Read TIFF error");
    }
    return true;
}

uint32_t dxTIFF::ReadIFD(uint32_t offset)
{
    IFD_struct ifd;
    const bool little = byte_order == orderII;
    try {
        const unsigned long long file_size = stream->getSize();
        // Values of `count` items of `size` bytes, in the value field or at the offset it holds;
        // they must lie inside the file before anything is allocated for them.
        auto read_values = [&](uint16_t size, uint32_t count, long long field) {
            const unsigned long long bytes = static_cast<unsigned long long>(size) * count;
            unsigned long long base = static_cast<unsigned long long>(field);
            if (bytes > 4)
                base = read32(*stream);
            if (base > file_size || bytes > file_size - base)
                throw Refused{};
            std::vector<unsigned char> raw(static_cast<std::size_t>(bytes));
            stream->setPos(static_cast<long long>(base), true);
            stream->read_byte(raw.data(), static_cast<unsigned long>(bytes));
            std::vector<uint32_t> values(count);
            for (uint32_t k = 0; k < count; ++k)
                values[k] = decode_value(raw.data() + static_cast<std::size_t>(k) * size, size, little);
            return values;
        };
        // A single number: the writer chose BYTE, SHORT or LONG for it.
        auto read_scalar = [&](uint16_t type) -> uint32_t {
            if (type == typeByte) {
                unsigned char b;
                stream->read_Uint1(b);
                return b;
            }
            return type == typeLong ? read32(*stream) : read16(*stream);
        };
        auto read_rational = [&]() {
            stream->setPos(read32(*stream), true);
            const uint32_t num = read32(*stream), den = read32(*stream);
            return den ? static_cast<double>(num) / den : 0.0;
        };

        stream->setPos(offset, true);
        ifd.ifd_offset = offset;
        ifd.entry_count = read16(*stream);
        ifd.entry_pos = static_cast<uint32_t>(stream->getPos());
        for (uint32_t i = 0; i < ifd.entry_count && ifd.status == statusOK; ++i) {
            stream->setPos(static_cast<long long>(ifd.entry_pos) + 12LL * i, true);
            const uint16_t tag = read16(*stream);
            const uint16_t type = read16(*stream);
            const uint32_t count = read32(*stream);
            const long long field = stream->getPos();
            switch (tag) {
            case 256:
            case 257: {
                if (type != typeShort && type != typeLong) {
                    ifd.status = statusFieldType;
                    break;
                }
                const uint32_t v = type == typeShort ? read16(*stream) : read32(*stream);
                (tag == 256 ? ifd.width : ifd.length) = v;
                break;
            }
            case 258:
            case 338: {
                std::vector<uint16_t>& into = tag == 258 ? ifd.bits_per_sample : ifd.extra_samples;
                for (uint32_t v : read_values(2, count, field))
                    into.push_back(static_cast<uint16_t>(v));
                break;
            }
            case 259:
                ifd.compression = static_cast<uint16_t>(read_scalar(type));
                if (std::find(supported_compressions.begin(), supported_compressions.end(), ifd.compression) ==
                    supported_compressions.end())
                    ifd.status = statusCompression;
                break;
            case 262:
                ifd.photometric = static_cast<uint16_t>(read_scalar(type));
                if (std::find(supported_photometrics.begin(), supported_photometrics.end(), ifd.photometric) ==
                    supported_photometrics.end())
                    ifd.status = statusPhotometric;
                break;
            case 273:
            case 278:
            case 279: {
                if (type != typeShort && type != typeLong) {
                    ifd.status = statusFieldType;
                    break;
                }
                std::vector<uint32_t>& into =
                    tag == 273 ? ifd.strip_offsets : tag == 278 ? ifd.rows_per_strip : ifd.strip_byte_counts;
                std::vector<uint32_t> v = read_values(type == typeShort ? 2 : 4, count, field);
                into.insert(into.end(), v.begin(), v.end());
                break;
            }
            case 277:
                ifd.samples_per_pixel = static_cast<uint16_t>(read_scalar(type));
                break;
            case 282:
                ifd.x_resolution = read_rational();
                break;
            case 283:
                ifd.y_resolution = read_rational();
                break;
            case 284:
                ifd.planar_config = static_cast<uint16_t>(read_scalar(type));
                break;
            case 317:
                ifd.predictor = static_cast<uint16_t>(read_scalar(type));
                break;
            case 339:
                ifd.sample_format = static_cast<uint16_t>(read_scalar(type));
                break;
            case 296:
                ifd.resolution_unit = static_cast<uint16_t>(read_scalar(type));
                if (ifd.resolution_unit < 1 || ifd.resolution_unit > 3)
                    ifd.status = statusResolutionUnit;
                break;
            case 320:
                ifd.color_map_count = static_cast<uint16_t>(count);
                ifd.color_map_pos = count < 3 ? static_cast<uint32_t>(field) : read32(*stream);
                break;
            case 336: {
                if (type != typeByte && type != typeShort) {
                    ifd.status = statusFieldType;
                    break;
                }
                for (uint32_t v : read_values(type == typeByte ? 1 : 2, count, field))
                    ifd.dot_range.push_back(static_cast<uint16_t>(v));
                for (uint16_t v : ifd.dot_range)
                    std::printf("dotrange %d\n", v);
                break;
            }
            case 34675:
                ifd.icc_profile_offset = read32(*stream);
                ifd.has_icc_profile = true;
                break;
            default:
                break;
            }
        }
        if (ifd.status == statusOK) {
            const std::size_t strips = ifd.strip_offsets.size();
            if ((ifd.rows_per_strip.size() != 1 && ifd.rows_per_strip.size() != strips) ||
                (ifd.strip_byte_counts.size() != 1 && ifd.strip_byte_counts.size() != strips))
                ifd.status = statusStripTables;
        }
        stream->setPos(static_cast<long long>(ifd.entry_pos) + 12LL * ifd.entry_count, true);
        const uint32_t next = read32(*stream);
        ifds.push_back(std::move(ifd));
        return next;
    } catch (...) {
        ifd.status = statusIOError;
        ifds.push_back(std::move(ifd));
        throw ExceptionDebuggErrorID(-1505, "TIFF I/O Error");
    }
}

void dxTIFF::get_image_format(BitmapFormat* format, std::size_t index, bool with_extra_samples) const
{
    const IFD_struct& ifd = ifds[index];
    format->width = static_cast<int32_t>(ifd.width);
    format->height = static_cast<int32_t>(ifd.length);
    switch (ifd.photometric) {
    case 0:
    case 1:
        format->color_mode = BitmapFormat::modeGray;
        break;
    case 2:
        format->color_mode = BitmapFormat::modeRGB;
        break;
    case 5:
        format->color_mode = BitmapFormat::modeCMYK;
        break;
    case 8:
        format->color_mode = BitmapFormat::modeTiffLab;
        break;
    case 3:
    case 4:
    case 6:
        format->color_mode = BitmapFormat::modeUndefined;
        break;
    default:
        break;
    }
    format->channel_count = with_extra_samples ? ifd.GetChannel() : ifd.GetStandardChannel();
    format->channel_offset = 0;
    format->bytes_per_channel = ifd.GetBytePerChannel();
    format->bytes_per_pixel = format->channel_count * format->bytes_per_channel;
    format->row_bytes = static_cast<int32_t>(static_cast<int64_t>(ifd.width) * format->bytes_per_pixel);
}

void dxTIFF::get_dot_range_array(std::vector<DotRange>* ranges, std::size_t index) const
{
    const IFD_struct& ifd = ifds[index];
    ranges->clear();
    const std::size_t channels = static_cast<std::size_t>(ifd.GetChannel());
    const std::vector<uint16_t>& v = ifd.dot_range;
    for (std::size_t k = 0; k < channels; ++k) {
        DotRange r;
        if (v.size() == 2) {
            r.low = v[0];
            r.high = v[1];
        } else if (v.size() == 2 * channels) {
            r.low = v[2 * k];
            r.high = v[2 * k + 1];
        } else {
            r.low = 0;
            r.high = ifd.GetBytePerChannel() == 2 ? 65535 : 255;
        }
        r.span = static_cast<uint16_t>(r.high - r.low);
        ranges->push_back(r);
    }
}

std::size_t dxTIFF::max_image_bytes()
{
    return max_pixel_buffer_bytes();
}

bool dxTIFF::load_image(GenericImage* image, std::size_t index)
{
    try {
        load(image, index);
    } catch (...) {
        throw ExceptionDebuggErrorID(-1509, "Load image error");
    }
    return true;
}

void dxTIFF::load(GenericImage* image, std::size_t index)
{
    if (!stream || index >= ifds.size())
        throw Refused{};
    const IFD_struct& ifd = ifds[index];
    const int bpc = ifd.GetBytePerChannel();
    const int channels = ifd.GetChannel();
    const bool planar = ifd.planar_config == 2;
    // Only what the data model can lay out: unsigned 8- or 16-bit samples of one size, at least
    // the photometric's channels, strips (tiled files have none), a known compression.
    if (ifd.status != statusOK || (ifd.compression != 1 && ifd.compression != 5) || bpc == 0 ||
        ifd.sample_format != 1 || channels == 0 || channels < ifd.GetStandardChannel() ||
        (ifd.planar_config != 1 && !planar) || ifd.strip_offsets.empty() || ifd.width == 0 || ifd.length == 0)
        throw Refused{};
    for (uint16_t b : ifd.bits_per_sample)
        if (b != ifd.bits_per_sample[0])
            throw Refused{};
    const uint32_t rows_per_strip = ifd.GetRowCountPerStrip(0);
    if (rows_per_strip == 0)
        throw Refused{};

    // The buffer must fit the format's 32-bit fields and the machine, checked before anything
    // is allocated.
    const uint64_t row_bytes = static_cast<uint64_t>(ifd.width) * static_cast<uint64_t>(channels) * bpc;
    const uint64_t max32 = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    if (ifd.width > max32 || ifd.length > max32 || row_bytes > max32 ||
        row_bytes * ifd.length > max_image_bytes())
        throw Refused{};
    const uint64_t strips_per_plane = (static_cast<uint64_t>(ifd.length) + rows_per_strip - 1) / rows_per_strip;
    const uint64_t needed = strips_per_plane * (planar ? static_cast<uint64_t>(channels) : 1);
    if (ifd.GetStripCount() < needed)
        throw Refused{};

    ScanLineInfo info;
    info.width = ifd.width;
    info.channels = channels;
    info.bytes_per_channel = bpc;
    info.bytes_per_pixel = channels * bpc;
    info.row_bytes = static_cast<std::size_t>(row_bytes);
    info.photometric = ifd.photometric;
    info.planar = planar;
    get_dot_range_array(&info.dot_ranges, index);

    // Every strip must lie inside the file and be able to hold its rows: an uncompressed
    // strip byte for byte, an LZW strip within what its codes can expand to (at most one
    // 9-bit code per 9 bits, each a string of at most maxEntries - 257 bytes). A small file
    // cannot make the reader allocate a huge image this way.
    const std::size_t src_row = planar ? static_cast<std::size_t>(bpc) * ifd.width : info.row_bytes;
    const unsigned long long file_size = stream->getSize();
    {
        uint32_t row = 0;
        for (std::size_t s = 0; s < needed; ++s) {
            const uint32_t nrows = std::min(rows_per_strip, ifd.length - row);
            const unsigned long long expected = static_cast<unsigned long long>(nrows) * src_row;
            const unsigned long long offset = ifd.strip_offsets[s];
            const unsigned long long count = ifd.GetBytePerStrip(s);
            if (offset > file_size || count > file_size - offset)
                throw Refused{};
            if (ifd.compression == 1 ? count < expected
                                     : expected > (count * 8 / 9 + 1) * (LZW::maxEntries - 257))
                throw Refused{};
            row += nrows;
            if (row >= ifd.length)
                row = 0;
        }
    }

    BitmapFormat format;
    get_image_format(&format, index, true);
    image->create(format);
    std::vector<unsigned char> raw, rows;
    uint32_t row_in_plane = 0;
    int plane = 0;
    unsigned char* dst = image->get_bitmap();
    for (std::size_t s = 0; s < needed; ++s) {
        const uint32_t nrows = std::min(rows_per_strip, ifd.length - row_in_plane);
        const std::size_t expected = nrows * src_row;
        const unsigned long long count = ifd.GetBytePerStrip(s);
        stream->setPos(static_cast<long long>(ifd.strip_offsets[s]), true);
        unsigned char* data;
        if (ifd.compression == 1) {
            // Bytes beyond the strip's rows are not read.
            rows.resize(expected);
            stream->read_byte(rows.data(), static_cast<unsigned long>(expected));
        } else {
            raw.resize(static_cast<std::size_t>(count));
            stream->read_byte(raw.data(), static_cast<unsigned long>(count));
            rows.resize(expected);
            std::size_t produced = 0;
            if (!decode(rows.data(), &produced, raw.data(), raw.size(), ifd, expected) || produced != expected)
                throw ExceptionDebuggErrorID(-1511, "Decode error");
        }
        data = rows.data();
        if (bpc > 1)
            byteorder_to_host(data, expected, bpc, byte_order);
        if (ifd.predictor == 2)
            predict_accumulate(data, ifd.width, expected, bpc, planar ? 1 : channels);
        for (uint32_t r = 0; r < nrows; ++r) {
            switch (ifd.photometric) {
            case 0:
                scanlineBnW(dst, data, info, plane, true);
                break;
            case 1:
                scanlineBnW(dst, data, info, plane, false);
                break;
            case 5:
                scanlineCMYK(dst, data, info, plane);
                break;
            default:
                scanlineRGBLAB(dst, data, info, plane);
                break;
            }
            data += src_row;
            dst += format.row_bytes;
        }
        row_in_plane += nrows;
        if (row_in_plane >= ifd.length) {
            row_in_plane = 0;
            ++plane;
            dst = image->get_bitmap();
        }
    }
}

bool dxTIFF::decode(unsigned char* dst, std::size_t* produced, const unsigned char* src, std::size_t src_length,
                    const IFD_struct& ifd, std::size_t expected)
{
    *produced = 0;
    if (ifd.compression != 5)
        return true;
    LZW lzw;
    try {
        lzw.decode(dst, produced, src, src_length, expected);
    } catch (const LZW::ErrorCode&) {
        return false;
    }
    return true;
}

void dxTIFF::byteorder_to_host(unsigned char* buffer, std::size_t length, int sample_size, Byteorder_type order)
{
    if ((order == orderII) == host_is_little_endian())
        return;
    if (sample_size == 2) {
        for (std::size_t i = 0; i + 2 <= length; i += 2)
            std::swap(buffer[i], buffer[i + 1]);
    } else if (sample_size == 4) {
        for (std::size_t i = 0; i + 4 <= length; i += 4) {
            std::swap(buffer[i], buffer[i + 3]);
            std::swap(buffer[i + 1], buffer[i + 2]);
        }
    }
}

void dxTIFF::predict_accumulate(unsigned char* buffer, uint32_t width, std::size_t length, int bytes_per_sample,
                                int samples_per_pixel)
{
    const std::size_t e = static_cast<std::size_t>(bytes_per_sample) * samples_per_pixel;
    const std::size_t f = e * width;
    if (f == 0 || (bytes_per_sample != 1 && bytes_per_sample != 2))
        return;
    const std::size_t rows = length / f;
    for (std::size_t r = 0; r < rows; ++r) {
        unsigned char* row = buffer + r * f;
        if (bytes_per_sample == 1) {
            switch (samples_per_pixel) {
            case 1: accumulate8<1>(row, width); break;
            case 3: accumulate8<3>(row, width); break;
            case 4: accumulate8<4>(row, width); break;
            default:
                for (std::size_t i = e; i < f; ++i)
                    row[i] = static_cast<unsigned char>(row[i] + row[i - e]);
            }
        } else {
            switch (samples_per_pixel) {
            case 1: accumulate16<1>(row, width); break;
            case 3: accumulate16<3>(row, width); break;
            case 4: accumulate16<4>(row, width); break;
            default:
                for (std::size_t i = e; i < f; i += 2) {
                    uint16_t a, b;
                    std::memcpy(&a, row + i, 2);
                    std::memcpy(&b, row + i - e, 2);
                    a = static_cast<uint16_t>(a + b);
                    std::memcpy(row + i, &a, 2);
                }
            }
        }
    }
}

void dxTIFF::scanlineRGBLAB(unsigned char* dst, const unsigned char* src, const ScanLineInfo& info, int plane)
{
    if (info.planar)
        spread_plane(dst, src, info, plane);
    else
        std::memcpy(dst, src, info.row_bytes);
}

void dxTIFF::scanlineBnW(unsigned char* dst, const unsigned char* src, const ScanLineInfo& info, int plane,
                         bool invert)
{
    const bool one_sample = info.planar || info.channels == 1;
    const std::size_t n = one_sample ? info.width : info.row_bytes / info.bytes_per_channel;
    if (!invert) {
        if (one_sample)
            spread_plane(dst, src, info, plane);
        else
            std::memcpy(dst, src, info.row_bytes);
        return;
    }
    // With one sample a pixel the samples are spread out; otherwise the row is contiguous.
    const int step = one_sample ? info.bytes_per_pixel : info.bytes_per_channel;
    unsigned char* d = dst + (one_sample ? plane * info.bytes_per_channel : 0);
    if (info.bytes_per_channel == 1) {
        for (std::size_t i = 0; i < n; ++i, d += step)
            *d = static_cast<unsigned char>(255 - src[i]);
    } else {
        for (std::size_t i = 0; i < n; ++i, d += step, src += 2) {
            uint16_t v;
            std::memcpy(&v, src, 2);
            v = static_cast<uint16_t>(65535 - v);
            std::memcpy(d, &v, 2);
        }
    }
}

void dxTIFF::scanlineCMYK(unsigned char* dst, const unsigned char* src, const ScanLineInfo& info, int plane)
{
    const int bpc = info.bytes_per_channel;
    const long full = bpc == 1 ? 255 : 65535;
    // A range is usable when its high end lies above its low end; the full range maps every
    // value to itself, and so does a range the file got wrong.
    auto identity = [&](const DotRange& r) { return r.high <= r.low || (r.low == 0 && r.high == full); };
    auto map = [&](const DotRange& r, long v) -> long {
        if (identity(r))
            return v;
        const long out = ((v - r.low) * (full + 1)) / (r.high - r.low);
        return std::min(full, std::max(0L, out));
    };
    const int first = info.planar ? plane : 0;
    const int last = info.planar ? plane + 1 : info.channels;
    bool all_identity = true;
    for (int k = first; k < last; ++k)
        all_identity = all_identity && identity(info.dot_ranges[static_cast<std::size_t>(k)]);
    if (all_identity) {
        scanlineRGBLAB(dst, src, info, plane);
        return;
    }
    for (uint32_t x = 0; x < info.width; ++x) {
        unsigned char* d = dst + static_cast<std::size_t>(x) * info.bytes_per_pixel + first * bpc;
        for (int k = first; k < last; ++k, d += bpc, src += bpc) {
            const DotRange& r = info.dot_ranges[static_cast<std::size_t>(k)];
            if (bpc == 1) {
                *d = static_cast<unsigned char>(map(r, *src));
            } else {
                uint16_t v;
                std::memcpy(&v, src, 2);
                v = static_cast<uint16_t>(map(r, v));
                std::memcpy(d, &v, 2);
            }
        }
    }
}

} // namespace vemora
