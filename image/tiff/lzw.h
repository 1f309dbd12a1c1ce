#pragma once
// Decoder of one LZW-compressed TIFF strip (TIFF 6.0, section 13): codes read most significant
// bit first, 9 bits wide after Clear (256), end of information 257, the width growing one code
// early (when the table reaches 2^width - 1 entries). Every table string is kept whole in one
// growing byte pool, so output is one block copy per code.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vemora {

class LZW {
public:
    // Thrown for a stream that is not valid LZW: a first code other than Clear or end of
    // information, a code beyond the table, or a table grown past its limit without Clear.
    struct ErrorCode {
        int code;
    };

    struct Index {
        uint32_t start;
        uint32_t end;
    };

    class StringTable {
    public:
        StringTable();
        ~StringTable();
        StringTable(const StringTable&) = delete;
        StringTable& operator=(const StringTable&) = delete;

        // The 256 single bytes plus the Clear and end-of-information places (never output).
        void init();
        void expand(uint32_t size);

        unsigned char* pool = nullptr;
        uint32_t used = 0;
        uint32_t capacity = 0;
        // maxEntries places, the first `count` in use: entry n is the string of code n. Not a
        // vector: a strip's table is made for every strip and need not be cleared.
        std::unique_ptr<Index[]> entries;
        uint32_t count = 0;
    };

    enum : uint32_t {
        codeClear = 256,
        codeEnd = 257,
        maxWidth = 12,
        // 12-bit codes reach 4096 entries; encoders may add a few more before they send Clear.
        // Beyond that the table would only grow, never be referenced.
        maxEntries = 4096 + 1024
    };

    // Decodes src into dst; produced receives the bytes written. limit is the size of dst
    // (0: no limit). Output that would pass the limit is cut there and decoding stops. Data
    // that ends without end of information is not an error. Throws ErrorCode.
    int decode(unsigned char* dst, std::size_t* produced, const unsigned char* src, std::size_t src_length,
               std::size_t limit);
};

} // namespace vemora
