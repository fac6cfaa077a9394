// Cost of one Translate call against the shipped language file: the file is
// opened and read on every call, so this is what each message or heading
// costs when it is shown or printed.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <filesystem>

#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

void BM_TranslateLastRecord(benchmark::State& state) {
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "vela-bench-lng";
    std::filesystem::create_directories(root / "LOCALE");
    std::filesystem::copy_file(std::filesystem::path(VELA_SOURCE_DIR) / "data/LOCALE/KELD0190.LNG",
                               root / "LOCALE/KELD0190.LNG",
                               std::filesystem::copy_options::overwrite_existing);
    Session.rootDir = root.string() + "/";
    Session.language = "SPA";
    SetTranslationModule("KELD0190");
    for (auto _ : state) benchmark::DoNotOptimize(Translate("TOTALS"));
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_TranslateLastRecord);

void BM_TranslateCatalan(benchmark::State& state) {
    Session.language = "CAT";
    for (auto _ : state) benchmark::DoNotOptimize(Translate("TOTALS"));
}
BENCHMARK(BM_TranslateCatalan);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
