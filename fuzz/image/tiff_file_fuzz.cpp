// A whole file through the TIFF reader: Read, then load_image of the first IFD when it is
// readable. Images above 64 MB are left out: the reader would allocate them (the machine can
// hold them), the fuzzer's memory limit cannot.
#include "foundation/stream.h"
#include "image/tiff/tiff.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    dxStream in(dxStream::sourceBuffer);
    if (size)
        in.write_byte(data, static_cast<unsigned long>(size));
    in.gotoBOF();
    if (!dxTIFF::IsTIFF(in))
        return 0;
    dxTIFF tiff;
    try {
        tiff.Read(in);
    } catch (const ExceptionDebuggErrorID&) {
        return 0;
    }
    if (!tiff.Is_IFDOK(0))
        return 0;
    const dxTIFF::IFD_struct& ifd = tiff.GetIFD(0);
    if (static_cast<unsigned long long>(ifd.width) * ifd.length * ifd.samples_per_pixel * 2 > (64ull << 20))
        return 0;
    GenericImage image;
    try {
        tiff.load_image(&image, 0);
    } catch (const ExceptionDebuggErrorID&) {
    }
    return 0;
}
