// A preference file of arbitrary bytes: the fixed record, then the optional folder-path block.
// Whatever is read, the store either takes it or keeps its defaults.
#include "app/preferences.h"
#include "foundation/stream.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    using namespace vemoraVeriglow;
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    dxStream in(dxStream::sourceBuffer);
    in.write_byte(data, size);
    in.gotoBOF();
    VG_Preference preference;
    if (preference.read_pref_data(in)) {
        dxStream out(dxStream::sourceBuffer);
        preference.write_pref_data(out);
    }
    return 0;
}
