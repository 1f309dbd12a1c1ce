#pragma once
// Test helpers: packing hand-written LZW code sequences, and a plain TIFF LZW encoder for
// round trips.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vgtest {

// Packs codes most significant bit first; each pair is (code, width).
inline std::vector<unsigned char> pack_codes(const std::vector<std::pair<uint32_t, int>>& codes)
{
    std::vector<unsigned char> out;
    uint64_t acc = 0;
    int n = 0;
    for (auto [code, width] : codes) {
        acc = (acc << width) | code;
        n += width;
        while (n >= 8) {
            out.push_back(static_cast<unsigned char>(acc >> (n - 8)));
            n -= 8;
        }
    }
    if (n > 0)
        out.push_back(static_cast<unsigned char>(acc << (8 - n)));
    return out;
}

// Encodes like a TIFF writer: Clear first, the width one code early, Clear when the table
// reaches 4094 entries, end of information last.
inline std::vector<unsigned char> lzw_encode(const std::vector<unsigned char>& data)
{
    std::vector<std::pair<uint32_t, int>> codes;
    std::map<std::string, uint32_t> table;
    auto reset = [&] {
        table.clear();
        for (int i = 0; i < 256; ++i)
            table[std::string(1, static_cast<char>(i))] = static_cast<uint32_t>(i);
    };
    reset();
    uint32_t next = 258;
    int width = 9;
    codes.push_back({256, width});
    std::string w;
    for (unsigned char ch : data) {
        std::string wc = w + static_cast<char>(ch);
        if (table.count(wc)) {
            w = wc;
            continue;
        }
        codes.push_back({table[w], width});
        table[wc] = next++;
        if (next > (1u << width) - 1 && width < 12)
            ++width;
        if (next >= 4094) {
            codes.push_back({256, width});
            reset();
            next = 258;
            width = 9;
        }
        w = std::string(1, static_cast<char>(ch));
    }
    if (!w.empty()) {
        codes.push_back({table[w], width});
        ++next;
        if (next > (1u << width) - 1 && width < 12)
            ++width;
    }
    codes.push_back({257, width});
    return pack_codes(codes);
}

} // namespace vgtest
