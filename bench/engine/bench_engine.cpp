// The colour engine against LittleCMS on the same profiles and buffers: building a proof link,
// and converting images into the display page (8-bit RGBx). Prints MP/s and, at the end, the
// ratio of LittleCMS's time to ours for each pair (above 1: we are faster).
#include "engine/color_space.h"
#include "engine/image_convert.h"
#include "icc/profile.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

std::string source(const char* rel) { return std::string(VERIGLOW_SOURCE_DIR) + "/" + rel; }

struct Side {
    ICCProfile parsed;
    PointerHolder<BaseProfile> engine;
    cmsHPROFILE lcms = nullptr;
};

Side* open(const std::string& path)
{
    auto* s = new Side;
    FSRef ref;
    nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path);
    dxStream st;
    st.open(FileLocation(ref), dxStream::readPermission, false);
    s->parsed.read(st);
    s->engine = getProcessProfile(s->parsed);
    s->lcms = cmsOpenProfileFromFile(path.c_str(), "r");
    return s;
}

Side& srgb()
{
    static Side* s = open(source("resources/profiles/Veriglow sRGB.icc"));
    return *s;
}
Side& press()
{
    static Side* s = open(source("resources/profiles/Veriglow Coated FOGRA39.icc"));
    return *s;
}

ColorSpace::Element use(Side& s, Intent i)
{
    ColorSpace::Element e;
    e.first = s.engine;
    e.second.intent = i;
    return e;
}

// source, printer in, printer out, display: the proof link without simulation.
ColorSpace::Chain proofChain(Side* src)
{
    ColorSpace::Chain c;
    if (src)
        c.push_back(use(*src, 0));
    c.push_back(use(press(), 1));
    c.push_back(use(press(), 1));
    c.push_back(use(srgb(), 1));
    return c;
}

void BM_LinkOurs(benchmark::State& state)
{
    allocatePow0p33Table();
    const int kind = static_cast<int>(state.range(0));
    ColorSpace::Chain chain = proofChain(kind == 0 ? &srgb() : kind == 1 ? &press() : nullptr);
    const ColorMode mode = kind == 0 ? colorModeRGB : kind == 1 ? colorModeCMYK : colorModeLab;
    for (auto _ : state) {
        ColorSpace link;
        link.setup(chain, mode, true, kind == 2 ? 5 : 4);
        benchmark::DoNotOptimize(link.table.data());
    }
}

void BM_LinkLcms(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHPROFILE in = kind == 0 ? srgb().lcms : kind == 1 ? press().lcms : lab;
    const cmsUInt32Number fmt = kind == 0 ? TYPE_RGBA_8 : kind == 1 ? TYPE_CMYK_8 : TYPE_Lab_16;
    for (auto _ : state) {
        cmsHTRANSFORM t = cmsCreateProofingTransform(in, fmt, srgb().lcms, TYPE_RGBA_8, press().lcms, 0, 1,
                                                     cmsFLAGS_SOFTPROOFING);
        benchmark::DoNotOptimize(t);
        cmsDeleteTransform(t);
    }
    cmsCloseProfile(lab);
}

constexpr int kSide = 1024;

GenericImage makeImage(int mode, int channels, int bytes, int bpp)
{
    BitmapFormat f;
    f.width = f.height = kSide;
    f.color_mode = mode;
    f.channel_count = channels;
    f.bytes_per_channel = bytes;
    f.bytes_per_pixel = bpp;
    f.row_bytes = kSide * bpp;
    GenericImage g;
    g.create(f);
    std::mt19937 rng(5);
    // Smooth content with noise, like a photograph: neighbouring pixels near each other.
    unsigned char* p = g.get_bitmap();
    for (std::size_t i = 0; i < g.get_bitmap_size(); ++i)
        p[i] = static_cast<unsigned char>((i / 97) % 256 ^ (rng() & 7));
    return g;
}

struct Convert {
    GenericImage src, dst;
    ColorSpace link;
    cmsHTRANSFORM lcms = nullptr;
};

Convert* setupConvert(int kind)
{
    allocatePow0p33Table();
    auto* c = new Convert;
    const bool cmyk = kind == 2;
    c->src = kind == 0 ? makeImage(BitmapFormat::modeRGB, 3, 1, 4)
             : kind == 1 ? makeImage(BitmapFormat::modeRGB, 3, 2, 6)
                         : makeImage(BitmapFormat::modeCMYK, 4, 1, 4);
    c->dst = makeImage(BitmapFormat::modeRGB, 3, 1, 4);
    ColorSpace::Chain chain = proofChain(cmyk ? &press() : &srgb());
    c->link.setup(chain, cmyk ? colorModeCMYK : colorModeRGB, true, 4);
    const cmsUInt32Number fmt = kind == 0 ? TYPE_RGBA_8 : kind == 1 ? TYPE_RGB_16 : TYPE_CMYK_8;
    c->lcms = cmsCreateProofingTransform(cmyk ? press().lcms : srgb().lcms, fmt, srgb().lcms, TYPE_RGBA_8,
                                         press().lcms, 0, 1, cmsFLAGS_SOFTPROOFING);
    return c;
}

Convert& convert(int kind)
{
    static std::map<int, Convert*> made;
    auto& c = made[kind];
    if (!c)
        c = setupConvert(kind);
    return *c;
}

void BM_ConvertOurs(benchmark::State& state)
{
    Convert& c = convert(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        image_color_convert(&c.dst, 0, 0, c.link, c.src, 0, 0, kSide, kSide);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] = benchmark::Counter(kSide * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ConvertLcms(benchmark::State& state)
{
    Convert& c = convert(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        cmsDoTransform(c.lcms, c.src.get_bitmap(), c.dst.get_bitmap(), kSide * kSide);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] = benchmark::Counter(kSide * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// 0: RGB source (17^3), 1: CMYK source (17^4), 2: Lab input (33^3).
BENCHMARK(BM_LinkOurs)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkLcms)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
// 0: 8-bit RGBx, 1: 16-bit RGB, 2: 8-bit CMYK, each into the 8-bit RGBx page.
BENCHMARK(BM_ConvertOurs)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertLcms)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Collects the times to print LittleCMS / ours per pair.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char* names[] = {"RGB link 17^3", "CMYK link 17^4", "Lab link 33^3"};
    const char* conv[] = {"8-bit RGBx to page", "16-bit RGB to page", "8-bit CMYK to page"};
    for (int i = 0; i < 3; ++i) {
        const std::string a = "BM_LinkOurs/" + std::to_string(i), b = "BM_LinkLcms/" + std::to_string(i);
        if (reporter.times.count(a) && reporter.times.count(b))
            std::printf("ratio LittleCMS/ours %-22s %6.2f\n", names[i], reporter.times[b] / reporter.times[a]);
    }
    for (int i = 0; i < 3; ++i) {
        const std::string a = "BM_ConvertOurs/" + std::to_string(i), b = "BM_ConvertLcms/" + std::to_string(i);
        if (reporter.times.count(a) && reporter.times.count(b))
            std::printf("ratio LittleCMS/ours %-22s %6.2f\n", conv[i], reporter.times[b] / reporter.times[a]);
    }
    benchmark::Shutdown();
    return 0;
}
