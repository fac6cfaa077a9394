// How long the demo office takes to make: generating the records alone, and
// loading them into record files through the record manager (batched write
// transactions). Built with -DVELA_BENCHMARKS=ON.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/demo/demo_office.hpp"
#include "tools/demo/record_file_sink.hpp"

namespace {

class CountingSink : public vela::DemoRecordSink {
  public:
    void Add(const vela::RecordFileInfo&, std::string_view record) override {
        bytes += record.size();
    }
    std::size_t bytes = 0;
};

void BM_GenerateDemoOffice(benchmark::State& state) {
    std::size_t payments = 0;
    for (auto _ : state) {
        CountingSink sink;
        const vela::DemoCounts counts =
            vela::GenerateDemoOffice({1, static_cast<int>(state.range(0)), 2025}, sink);
        payments = counts[2];
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.counters["payments"] = static_cast<double>(payments);
    state.counters["payments/s"] =
        benchmark::Counter(static_cast<double>(payments) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GenerateDemoOffice)
    ->Arg(vela::kSmallOffice)
    ->Arg(vela::kLargeOffice)
    ->Unit(benchmark::kMillisecond);

void BM_LoadDemoOfficeIntoRecordFiles(benchmark::State& state) {
    char pattern[] = "/tmp/vela-demo-bench-XXXXXX";
    const std::string root = mkdtemp(pattern);
    std::size_t payments = 0;
    for (auto _ : state) {
        vela::RecordManagerSink sink(root);
        std::string error;
        if (!sink.Create(true, error)) state.SkipWithError(error.c_str());
        payments = vela::GenerateDemoOffice({1, static_cast<int>(state.range(0)), 2025}, sink)[2];
        if (!sink.Close(error)) state.SkipWithError(error.c_str());
    }
    std::filesystem::remove_all(root);
    state.counters["payments"] = static_cast<double>(payments);
    state.counters["payments/s"] =
        benchmark::Counter(static_cast<double>(payments) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadDemoOfficeIntoRecordFiles)
    ->Arg(300)
    ->Arg(vela::kLargeOffice)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
