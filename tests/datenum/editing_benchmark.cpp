// Cost of editing one amount and one date, the work done for every line of a
// listing or certificate.
#include <benchmark/benchmark.h>

#include "datenum/calendar_dates.hpp"
#include "datenum/date_text.hpp"
#include "datenum/fixed_format.hpp"
#include "datenum/picture_editing.hpp"
#include "env/session.hpp"

namespace vela {
namespace {

void BM_EditNumber(benchmark::State& state) {
    double value = 123456.78;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EditNumber("ZZ,ZZZ,ZZZ.ZZ-", value));
        value += 1.01;
    }
}
BENCHMARK(BM_EditNumber);

void BM_EditAmount(benchmark::State& state) {
    Session.currency = "E";
    double cents = 12345678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EditAmount("Z,ZZZ,ZZZ,ZZ9-", cents));
        cents += 101;
    }
}
BENCHMARK(BM_EditAmount);

void BM_FormatFixed(benchmark::State& state) {
    double cents = 12345678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatFixed(cents, "N13"));
        cents += 101;
    }
}
BENCHMARK(BM_FormatFixed);

void BM_DateTextLong(benchmark::State& state) {
    Session.language = "CAT";
    const std::string date = PackDigits("20240510");
    for (auto _ : state) benchmark::DoNotOptimize(DateText(date, 2, "dma"));
}
BENCHMARK(BM_DateTextLong);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
