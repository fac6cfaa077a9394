// Browse lists over large files: opening a list reads only the rows it shows,
// so the time to open one and to scroll back through its cache does not grow
// with the file. The records come from a file in memory of the given size,
// so what is measured is the list and its line cache, not the record manager
// (record_read_benchmark measures that).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "ui/browse_list.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace {

using namespace vela;

class MemoryRecords : public BrowseRecordSource {
  public:
    explicit MemoryRecords(std::int64_t count) : count_(count) {}
    std::int16_t Find(std::int16_t, std::int16_t, const std::string&) override {
        current_ = 0;
        return 0;
    }
    std::int16_t Step(std::int16_t) override { return ++current_ < count_ ? 0 : 9; }
    std::string CurrentKey(std::int16_t) override { return "K"; }
    std::string ComparableKey(const std::string& key, std::int16_t) override { return key; }
    std::int32_t Position(std::int16_t, std::int32_t position) override {
        return position == 0 ? static_cast<std::int32_t>(current_ + 1) : 0;
    }
    void SetLockMode(std::int16_t, const std::string&) override {}
    std::int64_t current_ = 0;

  private:
    std::int64_t count_;
};

struct ListSetUp {
    explicit ListSetUp(std::int64_t records) : source(records) {
        folder = std::filesystem::temp_directory_path() / "vela-browse-bench";
        std::filesystem::create_directories(folder);
        Session.tmpDir = folder.string() + "/";
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        console = &InstallHeadless(25, 80);
        formTables = {};
        formTables.listCount = 1;
        formTables.lists.resize(2);
        formTables.lists[1] = {6, 1, 3, 10, 22, 70, 0, "OWNERS", 0};
        FormHooks hooks;
        hooks.listRowText = [this](std::int16_t) {
            return "OWNER " + std::to_string(source.current_) + "*NAME";
        };
        SetFormHooks(hooks);
        SetBrowseRecordSourceForTesting(&source);
    }
    ~ListSetUp() {
        SetBrowseRecordSourceForTesting(nullptr);
        SetFormHooks({});
        InstallConsole(nullptr);
        std::filesystem::remove_all(folder);
    }
    MemoryRecords source;
    std::filesystem::path folder;
    HeadlessConsole* console;
};

// Opening a list and leaving it with Esc.
void BM_OpenList(benchmark::State& state) {
    ListSetUp setUp(state.range(0));
    for (auto _ : state) {
        setUp.console->PushCharacter(0x1b);
        std::int16_t result = 0;
        BrowseList(1, result);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_OpenList)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Ten pages down, then back up to the top through the cache.
void BM_ScrollDownAndBack(benchmark::State& state) {
    ListSetUp setUp(state.range(0));
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) setUp.console->PushExtended(0x51);
        for (int i = 0; i < 10; ++i) setUp.console->PushExtended(0x49);
        setUp.console->PushCharacter(0x1b);
        std::int16_t result = 0;
        BrowseList(1, result);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ScrollDownAndBack)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
