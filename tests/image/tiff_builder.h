#pragma once
// Test helper: builds little-endian TIFF files entry by entry, for structures no writer would
// make on purpose.
#include "foundation/carbon_file.h"
#include "foundation/location.h"
#include "foundation/stream.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vgtest {

struct Tag {
    uint16_t tag;
    uint16_t type; // 1 BYTE, 3 SHORT, 4 LONG, 5 RATIONAL
    uint32_t count;
    uint32_t value; // inline value, or the offset of the values
};

class TiffBuilder {
public:
    TiffBuilder()
    {
        b = {'I', 'I', 42, 0, 0, 0, 0, 0};
    }
    uint32_t add(const std::vector<unsigned char>& data)
    {
        if (b.size() % 2)
            b.push_back(0);
        const uint32_t at = static_cast<uint32_t>(b.size());
        b.insert(b.end(), data.begin(), data.end());
        return at;
    }
    uint32_t add32(const std::vector<uint32_t>& v)
    {
        std::vector<unsigned char> d;
        for (uint32_t x : v)
            for (int i = 0; i < 4; ++i)
                d.push_back(static_cast<unsigned char>(x >> (8 * i)));
        return add(d);
    }
    uint32_t add16(const std::vector<uint16_t>& v)
    {
        std::vector<unsigned char> d;
        for (uint16_t x : v) {
            d.push_back(static_cast<unsigned char>(x));
            d.push_back(static_cast<unsigned char>(x >> 8));
        }
        return add(d);
    }
    // Writes an IFD and returns its offset; the first IFD written becomes the header's.
    uint32_t ifd(const std::vector<Tag>& tags, uint32_t next = 0)
    {
        std::vector<unsigned char> d;
        auto put16 = [&](uint32_t v) {
            d.push_back(static_cast<unsigned char>(v));
            d.push_back(static_cast<unsigned char>(v >> 8));
        };
        auto put32 = [&](uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        put16(static_cast<uint32_t>(tags.size()));
        for (const Tag& t : tags) {
            put16(t.tag);
            put16(t.type);
            put32(t.count);
            put32(t.value);
        }
        put32(next);
        const uint32_t at = add(d);
        if (first_ == 0)
            set_first(at);
        return at;
    }
    void set_first(uint32_t at)
    {
        first_ = at;
        patch32(4, at);
    }
    // The next-IFD field of the IFD at `at`.
    void set_next(uint32_t at, uint32_t next)
    {
        const uint32_t n = b[at] | (b[at + 1] << 8);
        patch32(at + 2 + 12 * n, next);
    }
    void patch32(std::size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }

    std::vector<unsigned char> b;

private:
    uint32_t first_ = 0;
};

// The usual tags of a chunky 8-bit image with one strip at `strip` of `bytes` bytes.
inline std::vector<Tag> strip_image_tags(uint32_t w, uint32_t h, uint16_t spp, uint16_t photometric, uint32_t strip,
                                         uint32_t bytes, uint16_t compression = 1)
{
    return {{256, 4, 1, w},           {257, 4, 1, h},         {258, 3, 1, 8},
            {259, 3, 1, compression}, {262, 3, 1, photometric}, {273, 4, 1, strip},
            {277, 3, 1, spp},         {278, 4, 1, h},         {279, 4, 1, bytes}};
}

inline std::unique_ptr<vemora::dxStream> memory_stream(const std::vector<unsigned char>& bytes)
{
    auto s = std::make_unique<vemora::dxStream>(vemora::dxStream::sourceBuffer);
    if (!bytes.empty())
        s->write_byte(bytes.data(), static_cast<unsigned long>(bytes.size()));
    s->gotoBOF();
    return s;
}

inline std::unique_ptr<vemora::dxStream> file_stream(const std::string& path)
{
    vemora::FSRef ref;
    if (!vemora::nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path))
        return nullptr;
    auto s = std::make_unique<vemora::dxStream>();
    if (!s->open(vemora::FileLocation(ref), vemora::dxStream::readPermission, false))
        return nullptr;
    return s;
}

} // namespace vgtest
