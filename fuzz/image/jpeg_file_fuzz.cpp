// A whole file through the JPEG reader (libjpeg reads files, so the input is written to a
// private temporary file first), then the profile reassembly. Frames declaring more than 16
// megapixels are left out: libjpeg would allocate them, the fuzzer's memory limit cannot.
#include "foundation/carbon_file.h"
#include "foundation/location.h"
#include "foundation/stream.h"
#include "image/jpeg/jpeg.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool frame_too_large(const uint8_t* d, size_t n)
{
    for (size_t i = 0; i + 8 < n; ++i)
        if (d[i] == 0xFF && d[i + 1] >= 0xC0 && d[i + 1] <= 0xCF && d[i + 1] != 0xC4 && d[i + 1] != 0xC8 &&
            d[i + 1] != 0xCC) {
            const unsigned h = d[i + 5] << 8 | d[i + 6], w = d[i + 7] << 8 | d[i + 8];
            if (static_cast<unsigned long long>(w) * h > (16ull << 20))
                return true;
        }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    // libjpeg's own messages go to standard error; run the fuzzer with -close_fd_mask=2 to hide
    // them (its crash reports still show).
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    if (frame_too_large(data, size))
        return 0;
    static const std::string path = "/tmp/veriglow-jpeg-fuzz-" + std::to_string(getpid()) + ".jpg";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    FSRef ref;
    dxStream in;
    if (!nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path) ||
        !in.open(FileLocation(ref), dxStream::readPermission, false))
        return 0;
    dxJPEG reader;
    if (dxJPEG::is_jpeg(in) && reader.read_jpeg(dxJPEG::get_icc_profile_marker(), in)) {
        std::vector<unsigned char> profile;
        reader.get_icc_profile(profile);
        reader.get_icc_profile(profile);
    }
    in.close();
    std::remove(path.c_str());
    return 0;
}
