// Reads a FileLocation record (then a UTF-16 string and a Vertex2) from arbitrary bytes, in both
// byte orders, and writes back what was read: the records of the preference file.
#include "foundation/location.h"
#include "foundation/stream.h"
#include "foundation/vertex.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    // The records print their error lines; keep the fuzzer's output readable.
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    for (int order = 0; order < 2; ++order) {
        dxStream in(dxStream::sourceBuffer);
        in.write_byte(data, size);
        in.gotoBOF();
        in.setByteOrder(order ? dxStream::littleEndian : dxStream::bigEndian);
        try {
            FileLocation loc;
            loc.read(in);
            UniString name;
            name.read(in);
            Vertex2 v;
            v.read(in);
            dxStream out(dxStream::sourceBuffer);
            loc.write(out);
            name.write(out);
        } catch (...) {
        }
    }
    return 0;
}
