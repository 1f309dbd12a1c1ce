// Decoding 24-megapixel TIFFs with this reader against libtiff's strip reading, and the pixel
// operations and reduction on such an image. The inputs are written with libtiff on the first
// run into the build tree (never committed). Prints megapixels per second and, at the end, the
// ratio of each of our decodes to libtiff's (above 1: we are faster).
#include "foundation/carbon_file.h"
#include "foundation/location.h"
#include "foundation/stream.h"
#include "image/generic_image.h"
#include "image/image_compressor.h"
#include "image/pixel_ops.h"
#include "image/tiff/tiff.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace vemora;

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000; // 24 megapixels
constexpr double kMegapixels = kWidth * double(kHeight) / 1e6;

std::string data_path(const std::string& name)
{
    const std::filesystem::path dir = std::filesystem::path(VERIGLOW_BINARY_DIR) / "bench-data";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

// A photograph-like picture: smooth gradients, a few edges and a little noise, so that LZW
// with the predictor compresses it about as well as real scans.
template <class Sample>
void fill_row(std::vector<Sample>& row, uint32_t y, int spp, std::mt19937& rng)
{
    const double full = sizeof(Sample) == 1 ? 255.0 : 65535.0;
    for (uint32_t x = 0; x < kWidth; ++x)
        for (int k = 0; k < spp; ++k) {
            double v = 0.5 + 0.35 * std::sin(x * 0.0011 * (k + 1) + y * 0.0007) * std::cos(y * 0.0013 - k);
            if (((x / 700) + (y / 500)) % 3 == 0)
                v = 1 - v;
            v += (static_cast<int>(rng() % 7) - 3) / 255.0;
            v = std::min(1.0, std::max(0.0, v));
            row[x * spp + k] = static_cast<Sample>(v * full);
        }
}

template <class Sample>
void write_tiff(const std::string& path, int spp, uint16_t photometric)
{
    if (std::filesystem::exists(path))
        return;
    const std::string tmp = path + ".part";
    TIFF* t = TIFFOpen(tmp.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<int>(8 * sizeof(Sample)));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    std::vector<Sample> row(static_cast<std::size_t>(kWidth) * spp);
    std::mt19937 rng(1);
    for (uint32_t y = 0; y < kHeight; ++y) {
        fill_row(row, y, spp, rng);
        TIFFWriteScanline(t, row.data(), y, 0);
    }
    TIFFClose(t);
    std::filesystem::rename(tmp, path);
}

const std::string& rgb8_file()
{
    static const std::string p = [] {
        std::string s = data_path("rgb8-lzw-pred-24mp.tif");
        write_tiff<uint8_t>(s, 3, PHOTOMETRIC_RGB);
        return s;
    }();
    return p;
}

const std::string& cmyk16_file()
{
    static const std::string p = [] {
        std::string s = data_path("cmyk16-lzw-pred-24mp.tif");
        write_tiff<uint16_t>(s, 4, PHOTOMETRIC_SEPARATED);
        return s;
    }();
    return p;
}

bool load_ours(const std::string& path, GenericImage* image)
{
    FSRef ref;
    if (!nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path))
        return false;
    dxStream s;
    if (!s.open(FileLocation(ref), dxStream::readPermission, false))
        return false;
    dxTIFF tiff;
    return tiff.Read(s) && tiff.Is_IFDOK(0) && tiff.load_image(image, 0);
}

bool load_libtiff(const std::string& path, std::vector<unsigned char>* buffer)
{
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t)
        return false;
    const tmsize_t strip = TIFFStripSize(t);
    const uint32_t strips = TIFFNumberOfStrips(t);
    buffer->resize(static_cast<std::size_t>(strip) * strips);
    bool ok = true;
    for (uint32_t s = 0; s < strips && ok; ++s)
        ok = TIFFReadEncodedStrip(t, s, buffer->data() + static_cast<std::size_t>(strip) * s, strip) >= 0;
    TIFFClose(t);
    return ok;
}

void set_rate(benchmark::State& state)
{
    state.counters["MP/s"] = benchmark::Counter(kMegapixels, benchmark::Counter::kIsIterationInvariantRate);
}

// One decode of the file per iteration: ours into a GenericImage, libtiff's into a buffer.
void BM_Decode(benchmark::State& state, const std::string& (*file)(), bool ours)
{
    const std::string& path = file();
    for (auto _ : state) {
        GenericImage img;
        std::vector<unsigned char> buf;
        if (!(ours ? load_ours(path, &img) : load_libtiff(path, &buf)))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(ours ? img.get_bitmap() : buf.data());
    }
    set_rate(state);
}

const GenericImage& rgb8_image()
{
    static GenericImage img = [] {
        GenericImage i;
        load_ours(rgb8_file(), &i);
        return i;
    }();
    return img;
}

const GenericImage& rgbx_image()
{
    static GenericImage img = [] {
        GenericImage i;
        load_ours(rgb8_file(), &i);
        canvas_pixel_byte(&i, 1, false, 255);
        return i;
    }();
    return img;
}

void BM_WidenRGB8To32(benchmark::State& state)
{
    const GenericImage& src = rgb8_image();
    for (auto _ : state) {
        state.PauseTiming();
        GenericImage img;
        img.create(src.format);
        std::memcpy(img.get_bitmap(), src.get_bitmap(), src.bitmap_size);
        state.ResumeTiming();
        canvas_pixel_byte(&img, 1, false, 255);
        benchmark::DoNotOptimize(img.get_bitmap());
    }
    set_rate(state);
}

void BM_Rotate(benchmark::State& state, const GenericImage& (*image)(), bool right)
{
    const GenericImage& src = image();
    for (auto _ : state) {
        GenericImage dst;
        (right ? gimage_rotate_right : gimage_rotate_left)(&dst, src);
        benchmark::DoNotOptimize(dst.get_bitmap());
    }
    set_rate(state);
}

// The floor for every whole-image operation: copying the 32-bit image once.
void BM_CopyReference_RGBx(benchmark::State& state)
{
    const GenericImage& src = rgbx_image();
    for (auto _ : state) {
        std::vector<unsigned char> dst(src.get_bitmap(), src.get_bitmap() + src.bitmap_size);
        benchmark::DoNotOptimize(dst.data());
    }
    set_rate(state);
}

void BM_ReduceQuarter_RGBx(benchmark::State& state)
{
    const GenericImage& src = rgbx_image();
    for (auto _ : state) {
        nsp_ImageCompressor::CompresseInfo info;
        nsp_ImageCompressor::get_compress_info(&info, 0.25, src);
        GenericImage dst;
        nsp_ImageCompressor::init_compress_image(&dst, info);
        nsp_ImageCompressor::compress_rect(&dst, 0, 0, static_cast<long>(info.columns.size()),
                                           static_cast<long>(info.rows.size()), info);
        benchmark::DoNotOptimize(dst.get_bitmap());
    }
    // Rate in source megapixels.
    set_rate(state);
}

BENCHMARK_CAPTURE(BM_Decode, RGB8_Ours, rgb8_file, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Decode, RGB8_Libtiff, rgb8_file, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Decode, CMYK16_Ours, cmyk16_file, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Decode, CMYK16_Libtiff, cmyk16_file, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CopyReference_RGBx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidenRGB8To32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Rotate, Right_RGBx, rgbx_image, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Rotate, Left_RGBx, rgbx_image, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Rotate, Right_RGB8, rgb8_image, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceQuarter_RGBx)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    TIFFSetWarningHandler(nullptr);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* what, const std::string& ours, const std::string& theirs) {
        auto a = reporter.times.find(ours), b = reporter.times.find(theirs);
        if (a != reporter.times.end() && b != reporter.times.end())
            std::printf("%-36s %s/ours CPU time %.2f (%.0f vs %.0f MP/s)\n", what,
                        theirs.find("Libtiff") != std::string::npos ? "libtiff" : "copy", b->second / a->second,
                        kMegapixels / (a->second / 1e3), kMegapixels / (b->second / 1e3));
    };
    ratio("24 MP 8-bit RGB LZW + predictor", "BM_Decode/RGB8_Ours/min_time:2.000",
          "BM_Decode/RGB8_Libtiff/min_time:2.000");
    ratio("24 MP 16-bit CMYK LZW + predictor", "BM_Decode/CMYK16_Ours/min_time:2.000",
          "BM_Decode/CMYK16_Libtiff/min_time:2.000");
    for (const char* op : {"BM_WidenRGB8To32", "BM_Rotate/Right_RGBx", "BM_Rotate/Left_RGBx", "BM_Rotate/Right_RGB8",
                           "BM_ReduceQuarter_RGBx"})
        ratio(op, op, "BM_CopyReference_RGBx");
    return 0;
}
