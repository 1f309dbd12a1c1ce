// A UTF-16 table file of arbitrary bytes: the string table (every region, the language menu) and
// the parameter table are read from it.
#include "app/string_table.h"
#include "foundation/stream.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    using namespace vemoraVeriglow;
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    PointerHolder<dxStream> stream;
    stream.allocate(new dxStream(dxStream::sourceBuffer), true);
    stream->write_byte(data, size);
    stream->gotoBOF();
    StringBase table;
    table.attach(stream);
    // The first bytes choose a region, so regions other than 0 and 1 get reached too.
    const long region = size > 2 ? data[2] % 5 : 1;
    for (long r : {0L, region}) {
        const long entries = table.readBase(r);
        long found = 0;
        for (long id : {0L, 1L, 100L, 2000L, 3000L})
            found += table.get(id).empty() ? 0 : 1;
        (void)entries;
        (void)found;
    }
    (void)table.getMenu().size();
    return 0;
}
