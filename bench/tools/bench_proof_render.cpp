// The proof tool's page: an 8-bit RGB photograph-sized image through source, press (into with
// black point compensation, out of it) and display, as the tool renders it on one thread and on
// every core, against LittleCMS's transform of the same chain on one thread.
#include "documents/manager.h"
#include "engine/vce_color.h"
#include "foundation/carbon_file.h"
#include "render.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <random>
#include <string>
#include <thread>

using namespace vemora;
using namespace vemoraVeriglow;

namespace {

constexpr int32_t kWidth = 2400, kHeight = 1600;

std::string source(const char* rel) { return std::string(VERIGLOW_SOURCE_DIR) + "/" + rel; }
const std::string kSrgb = source("resources/profiles/Veriglow sRGB.icc");
const std::string kPress = source("resources/profiles/Veriglow Coated FOGRA39.icc");

FileLocation locationOf(const std::string& path)
{
    FSRef ref;
    nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path);
    return FileLocation(ref);
}

// Smooth gradients with noise: interpolation cells change from pixel to pixel, as in a photo.
const GenericImage& image()
{
    static GenericImage* img = [] {
        auto* g = new GenericImage;
        BitmapFormat f;
        f.width = kWidth, f.height = kHeight, f.row_bytes = kWidth * 4;
        f.color_mode = BitmapFormat::modeRGB, f.channel_count = 3, f.bytes_per_channel = 1, f.bytes_per_pixel = 4;
        g->create(f);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> noise(-12, 12);
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) {
                unsigned char* p = g->get_bitmap() + y * f.row_bytes + x * 4;
                const int base[3] = {x * 255 / kWidth, y * 255 / kHeight, (x + y) * 255 / (kWidth + kHeight)};
                for (int k = 0; k < 3; ++k)
                    p[k] = static_cast<unsigned char>(std::clamp(base[k] + noise(rng), 0, 255));
                p[3] = 255;
            }
        return g;
    }();
    return *img;
}

Proof& proof()
{
    static Proof* p = [] {
        cms::vemICC::nsp_VCE::allocatePow0p33Table();
        static VG_Manager manager;
        auto* pr = new Proof;
        ProfilePack srgb, press;
        manager.get_profile_pack_by_location(&srgb, locationOf(kSrgb), 0);
        manager.get_profile_pack_by_location(&press, locationOf(kPress), 0);
        pr->display.second = srgb;
        pr->setting.add_profile(srgb);
        pr->setting.add_profile(press);
        pr->setting.nodes[1].intent_in = 1;
        pr->setting.nodes[1].bpc = true;
        pr->setting.update_consistency_intent();
        pr->update_link();
        return pr;
    }();
    return *p;
}

void BM_RenderOurs(benchmark::State& state)
{
    const auto threads = static_cast<unsigned>(state.range(0));
    Proof& p = proof();
    GenericImage page;
    for (auto _ : state) {
        render_page(&page, image(), p.link.get(), threads);
        benchmark::DoNotOptimize(page.get_bitmap());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.counters["threads"] = threads;
}

void BM_RenderLcms(benchmark::State& state)
{
    cmsHPROFILE srgb = cmsOpenProfileFromFile(kSrgb.c_str(), "r");
    cmsHPROFILE press = cmsOpenProfileFromFile(kPress.c_str(), "r");
    cmsHPROFILE chain[4] = {srgb, press, press, srgb};
    cmsBool bpc[4] = {0, 1, 0, 1};
    cmsUInt32Number intents[4] = {1, 1, 1, 1};
    cmsFloat64Number adaptation[4] = {1, 1, 1, 1};
    cmsHTRANSFORM t = cmsCreateExtendedTransform(nullptr, 4, chain, bpc, intents, adaptation, nullptr, 0, TYPE_RGBA_8,
                                                 TYPE_RGBA_8, cmsFLAGS_COPY_ALPHA);
    std::vector<unsigned char> out(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (auto _ : state) {
        cmsDoTransform(t, image().get_bitmap(), out.data(), static_cast<cmsUInt32Number>(kWidth) * kHeight);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    cmsDeleteTransform(t);
    cmsCloseProfile(press);
    cmsCloseProfile(srgb);
}

BENCHMARK(BM_RenderOurs)->Arg(1)->Arg(static_cast<long>(std::max(2u, std::thread::hardware_concurrency())))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderLcms)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
