#include "image/tiff/lzw.h"

#include "foundation/debug_pointer.h"

#include <algorithm>
#include <cstring>

namespace vemora {

namespace {

const char* const kPoolType = "unsigned char";
// Strings of up to this many bytes are moved as two 8-byte words; the pool keeps that much
// room behind its last string, the output uses it only where the limit leaves it.
constexpr std::size_t kShort = 16;

inline void copy16(unsigned char* d, const unsigned char* s)
{
    // Both words are loaded before either is stored: the source may overlap the destination
    // from below (a new pool entry copies an earlier one right in front of it).
    uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + 8, &b, 8);
}

// Exactly n bytes, n <= 16, as two overlapping moves of a fixed size; s and d do not overlap.
inline void copy_small(unsigned char* d, const unsigned char* s, std::size_t n)
{
    if (n >= 8) {
        uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n > 0) {
        d[0] = s[0];
        d[n >> 1] = s[n >> 1];
        d[n - 1] = s[n - 1];
    }
}

// Codes of `width` bits, most significant bit first. A code needs all its bits inside the
// data: a stream that ends in the middle of one has no further code.
class BitReader {
public:
    BitReader(const unsigned char* p, std::size_t n) : cur_(p), end_(p + n) {}

    bool next(uint32_t width, uint32_t* code)
    {
        if (count_ < width) {
            if (end_ - cur_ >= 8) {
                uint64_t w = 0;
                for (int i = 0; i < 8; ++i)
                    w = (w << 8) | cur_[i];
                const uint32_t n = (63 - count_) >> 3; // whole bytes that fit
                acc_ = (acc_ << (8 * n)) | (w >> (64 - 8 * n));
                cur_ += n;
                count_ += 8 * n;
            } else {
                while (count_ <= 56 && cur_ < end_) {
                    acc_ = (acc_ << 8) | *cur_++;
                    count_ += 8;
                }
                if (count_ < width)
                    return false;
            }
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
    pool = new unsigned char[8192]();
    registerDebugingPointer(pool, 8192, kPoolType, true);
    capacity = 8192;
    entries.reset(new Index[maxEntries]);
}

LZW::StringTable::~StringTable()
{
    unregisterDebugingPointer(pool, kPoolType);
    delete[] pool;
}

void LZW::StringTable::init()
{
    used = 0;
    for (uint32_t i = 0; i < 258; ++i) {
        pool[used] = static_cast<unsigned char>(i);
        entries[i] = Index{used, used + 1};
        ++used;
    }
    count = 258;
}

void LZW::StringTable::expand(uint32_t size)
{
    auto* fresh = new unsigned char[size]();
    registerDebugingPointer(fresh, size, kPoolType, true);
    std::memcpy(fresh, pool, used);
    unregisterDebugingPointer(pool, kPoolType);
    delete[] pool;
    pool = fresh;
    capacity = size;
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
    uint32_t grow_at = (1u << width) - 1;

    // The table's state lives in locals while decoding: stores through the byte pointers
    // could otherwise alias it and force every field to be reloaded after each copy.
    unsigned char* pool = table.pool;
    uint32_t used = 0, capacity = table.capacity, size = 0;
    Index* entries = table.entries.get(); // maxEntries places; the first `size` are in use

    auto add = [&](uint32_t from, unsigned char last) {
        const Index p = entries[from];
        const uint32_t len = p.end - p.start + 1;
        if (used + len + kShort > capacity) {
            table.used = used;
            table.expand(std::max(2 * capacity, capacity + len + static_cast<uint32_t>(kShort)));
            pool = table.pool;
            capacity = table.capacity;
        }
        entries[size++] = Index{used, used + len};
        if (len <= kShort)
            copy16(pool + used, pool + p.start);
        else
            std::memcpy(pool + used, pool + p.start, len - 1);
        used += len;
        pool[used - 1] = last;
    };

    // Copies string(code) to the output, cut at the limit; false when the limit was reached.
    auto emit = [&](uint32_t code) {
        const Index e = entries[code];
        std::size_t len = e.end - e.start;
        const unsigned char* s = pool + e.start;
        if (len <= kShort && (!end || len < static_cast<std::size_t>(end - out))) {
            copy_small(out, s, len);
            out += len;
            return true;
        }
        bool room = true;
        if (end && len >= static_cast<std::size_t>(end - out)) {
            len = static_cast<std::size_t>(end - out);
            room = false;
        }
        std::memcpy(out, s, len);
        out += len;
        return room;
    };

    uint32_t code;
    while (bits.next(width, &code)) {
        if (code == codeClear) {
            table.init();
            used = table.used;
            size = table.count;
            width = 9;
            grow_at = (1u << width) - 1;
            first = true;
            continue;
        }
        if (code == codeEnd)
            break;
        if (code < size) {
            const unsigned char head = pool[entries[code].start];
            if (!first) {
                if (prev >= size || size >= maxEntries)
                    throw ErrorCode{1};
                add(prev, head);
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
            add(prev, c);
            prev = code;
            if (!emit(code))
                break;
        }
        if (size >= grow_at && width < maxWidth) {
            ++width;
            grow_at = (1u << width) - 1;
        }
    }
    *produced = static_cast<std::size_t>(out - dst);
    return 0;
}

} // namespace vemora
