#include "image/tiff/lzw.h"

#include "foundation/debug_pointer.h"

#include <algorithm>
#include <cstring>

namespace vemora {

namespace {

const char* const kPoolType = "unsigned char";

// Codes of `width` bits, most significant bit first. A code needs all its bits inside the
// data: a stream that ends in the middle of one has no further code.
class BitReader {
public:
    BitReader(const unsigned char* p, std::size_t n) : cur_(p), end_(p + n) {}

    bool next(uint32_t width, uint32_t* code)
    {
        if (count_ < width) {
            while (count_ <= 56 && cur_ < end_) {
                acc_ = (acc_ << 8) | *cur_++;
                count_ += 8;
            }
            if (count_ < width)
                return false;
        }
        count_ -= width;
        *code = static_cast<uint32_t>(acc_ >> count_) & ((1u << width) - 1);
        return true;
    }

private:
    const unsigned char* cur_;
    const unsigned char* end_;
    uint64_t acc_ = 0;
    uint32_t count_ = 0;
};

} // namespace

LZW::StringTable::StringTable()
{
    pool = new unsigned char[8192];
    registerDebugingPointer(pool, 8192, kPoolType, true);
    capacity = 8192;
    entries.reserve(5120);
}

LZW::StringTable::~StringTable()
{
    unregisterDebugingPointer(pool, kPoolType);
    delete[] pool;
}

void LZW::StringTable::init()
{
    used = 0;
    entries.clear();
    for (uint32_t i = 0; i < 258; ++i) {
        pool[used] = static_cast<unsigned char>(i);
        entries.push_back(Index{used, used + 1});
        ++used;
    }
}

void LZW::StringTable::expand(uint32_t size)
{
    auto* fresh = new unsigned char[size];
    registerDebugingPointer(fresh, size, kPoolType, true);
    std::memcpy(fresh, pool, used);
    unregisterDebugingPointer(pool, kPoolType);
    delete[] pool;
    pool = fresh;
    capacity = size;
}

void LZW::StringTable::add(uint32_t prev, unsigned char c)
{
    const Index p = entries[prev];
    const uint32_t len = p.end - p.start + 1;
    if (used + len > capacity)
        expand(std::max(2 * capacity, capacity + len));
    entries.push_back(Index{used, used + len});
    std::memcpy(pool + used, pool + p.start, len - 1);
    used += len;
    pool[used - 1] = c;
}

int LZW::decode(unsigned char* dst, std::size_t* produced, const unsigned char* src, std::size_t src_length,
                std::size_t limit)
{
    BitReader bits(src, src_length);
    StringTable table;
    uint32_t width = 9;
    bool first = true;
    uint32_t prev = 0;
    unsigned char c = 0;
    unsigned char* out = dst;
    unsigned char* const end = limit ? dst + limit : nullptr;
    bool full = false;

    // Copies string(code) to the output, cut at the limit; false when the limit was reached.
    auto emit = [&](uint32_t code) {
        const Index e = table.entries[code];
        std::size_t len = e.end - e.start;
        const unsigned char* s = table.pool + e.start;
        if (end && len >= static_cast<std::size_t>(end - out)) {
            len = static_cast<std::size_t>(end - out);
            full = true;
        }
        if (len <= 8) {
            for (std::size_t i = 0; i < len; ++i)
                out[i] = s[i];
        } else {
            std::memcpy(out, s, len);
        }
        out += len;
        return !full;
    };

    uint32_t code;
    while (bits.next(width, &code)) {
        if (code == codeClear) {
            table.init();
            width = 9;
            first = true;
            continue;
        }
        if (code == codeEnd)
            break;
        const uint32_t size = static_cast<uint32_t>(table.entries.size());
        if (code < size) {
            const unsigned char head = table.pool[table.entries[code].start];
            if (!first) {
                if (prev >= size || size >= maxEntries)
                    throw ErrorCode{1};
                table.add(prev, head);
            }
            c = head;
            prev = code;
            first = false;
            if (!emit(code))
                break;
        } else {
            // Only the code about to be made (KwKwK) may be used before it exists.
            if (code != size || prev >= size || first || size >= maxEntries)
                throw ErrorCode{1};
            table.add(prev, c);
            prev = code;
            if (!emit(code))
                break;
        }
        if (table.entries.size() >= (1u << width) - 1 && width < maxWidth)
            ++width;
    }
    *produced = static_cast<std::size_t>(out - dst);
    return 0;
}

} // namespace vemora
