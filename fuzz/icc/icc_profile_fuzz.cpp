// Reads arbitrary bytes as an ICC profile: the probes of the profile catalogue, the whole
// profile, then every tag it read is cloned and written back, and the written element read
// again, so the writers meet every shape the reader accepts.
#include "icc/factories.h"
#include "icc/profile.h"

#include <cstdint>
#include <cstdio>
#include <memory>

using namespace vemora;
using namespace vemora::cms::vemICC;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The error records print themselves; keep the fuzzer's output readable.
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;

    dxStream in = ICCProfile::get_data_stream(data, static_cast<unsigned long>(size));
    try {
        (void)isICCProfile(in, 0);
    } catch (...) {
    }
    Header probed;
    (void)readICCProfileHeader(&probed, in, 0);
    try {
        std::vector<ICCProfileDescriptionPack> packs;
        (void)getProfileDescription(&packs, in, 0);
    } catch (...) {
    }
    closeICCTagFactory();

    ICCProfile profile;
    try {
        in.gotoBOF();
        profile.read(in);
    } catch (...) {
    }
    // Tags read before a failure stay in the profile: exercise them too.
    for (const PointerHolder<Tag>& tag : profile.tags) {
        try {
            std::unique_ptr<Tag> copy(tag->clone());
            if (!copy || !copy->getImplement())
                continue;
            dxStream out(dxStream::sourceBuffer);
            const dxValue2<long, long> where = copy->iccWrite(out);
            std::unique_ptr<Tag> again(copy->clone());
            again->iccRead(out, &where, &profile.header);
        } catch (...) {
        }
    }
    closeICCTypeFactory();
    closeICCTagFactory();
    return 0;
}
