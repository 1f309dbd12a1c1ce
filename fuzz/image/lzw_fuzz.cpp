// Arbitrary bytes as one LZW strip; the first two bytes choose the output limit (1 ... 65536).
#include "image/tiff/lzw.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    if (size < 2)
        return 0;
    const std::size_t limit = 1 + (static_cast<std::size_t>(data[0]) << 8 | data[1]);
    std::vector<unsigned char> out(limit);
    std::size_t produced = 0;
    LZW lzw;
    try {
        lzw.decode(out.data(), &produced, data + 2, size - 2, limit);
    } catch (const LZW::ErrorCode&) {
        return 0;
    }
    if (produced > limit)
        std::abort();
    return 0;
}
