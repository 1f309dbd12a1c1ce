// Cost per profile of the catalogue's light probes against a full ICCProfile::read, over the
// real and generated profiles of the ICC tests, all held in memory (the file system is not
// measured).
#include "icc/factories.h"
#include "icc/profile.h"

#include "tests/icc/profile_corpus.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace vemora;
using namespace vemora::cms::vemICC;

namespace {

const std::vector<std::vector<unsigned char>>& corpus()
{
    static const std::vector<std::vector<unsigned char>> profiles = [] {
        std::vector<std::vector<unsigned char>> all;
        for (const auto& f : icctest::profileFiles())
            all.push_back(icctest::fileBytes(f));
        return all;
    }();
    return profiles;
}

std::vector<dxStream> streams()
{
    std::vector<dxStream> s;
    for (const auto& p : corpus())
        s.push_back(ICCProfile::get_data_stream(p.data(), static_cast<unsigned long>(p.size())));
    return s;
}

void perProfile(benchmark::State& state, std::size_t n)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
    // Seconds per profile, printed with an SI prefix (u, n).
    state.counters["per_profile"] = benchmark::Counter(
        static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["profiles"] = static_cast<double>(n);
}

void BM_FullRead(benchmark::State& state)
{
    std::vector<dxStream> in = streams();
    for (auto _ : state) {
        for (dxStream& s : in) {
            s.gotoBOF();
            ICCProfile p;
            p.read(s);
            benchmark::DoNotOptimize(p.tags.data());
        }
    }
    perProfile(state, in.size());
}

void BM_IsICCProfile(benchmark::State& state)
{
    std::vector<dxStream> in = streams();
    for (auto _ : state)
        for (dxStream& s : in)
            benchmark::DoNotOptimize(isICCProfile(s, 0));
    perProfile(state, in.size());
}

void BM_ReadICCProfileHeader(benchmark::State& state)
{
    std::vector<dxStream> in = streams();
    for (auto _ : state) {
        for (dxStream& s : in) {
            Header h;
            benchmark::DoNotOptimize(readICCProfileHeader(&h, s, 0));
        }
    }
    perProfile(state, in.size());
}

void BM_GetProfileDescription(benchmark::State& state)
{
    std::vector<dxStream> in = streams();
    for (auto _ : state) {
        for (dxStream& s : in) {
            std::vector<ICCProfileDescriptionPack> packs;
            benchmark::DoNotOptimize(getProfileDescription(&packs, s, 0));
        }
        // The catalogue closes the registries once a folder is done.
        closeICCTagFactory();
        closeICCTypeFactory();
    }
    perProfile(state, in.size());
}

} // namespace

BENCHMARK(BM_FullRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IsICCProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadICCProfileHeader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetProfileDescription)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
