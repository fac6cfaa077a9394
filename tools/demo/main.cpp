// vela-demo: writes a complete demo installation (see demo_office.hpp).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/demo/csv_file_sink.hpp"
#include "tools/demo/demo_arguments.hpp"
#include "tools/demo/demo_check_cases.hpp"
#include "tools/demo/demo_installation.hpp"
#include "tools/demo/record_file_sink.hpp"

namespace {

// Hands every record to each of its targets.
struct FanOutSink : vela::DemoRecordSink {
    std::vector<vela::DemoRecordSink*> targets;
    void Add(const vela::RecordFileInfo& file, std::string_view record) override {
        for (vela::DemoRecordSink* target : targets) target->Add(file, record);
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto arguments =
        vela::ParseDemoArguments(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!arguments) {
        std::fprintf(stderr, "vela-demo: %s\n%s", error.c_str(), vela::kDemoUsage);
        return 2;
    }
    if (arguments->help) {
        std::fputs(vela::kDemoUsage, stdout);
        return 0;
    }
    vela::DemoInstallation installation{
        arguments->root, arguments->dataDir.empty() ? VELA_DATA_DIR : arguments->dataDir,
        arguments->office};
    // An office's own data is never overwritten by mistake.
    if (const std::string existing = vela::RecordManagerSink::ExistingFile(arguments->root);
        !existing.empty() && !arguments->replace) {
        std::fprintf(stderr,
                     "vela-demo: %s already holds record files (%s); nothing was written. "
                     "Use --replace to overwrite them.\n",
                     arguments->root.c_str(), existing.c_str());
        return 1;
    }
    if (!vela::WriteInstallationFiles(installation, error)) {
        std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
        return 1;
    }
    // The record files: created from their dictionaries, and filled unless
    // the office loads its own records.
    vela::RecordManagerSink files(arguments->root);
    if (!files.Create(!arguments->noData, error)) {
        std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
        return 1;
    }
    // Every record goes to its file (unless the office loads its own), and to
    // its unload and CSV files when asked: with --no-data, the CSV files are
    // an office's spreadsheets to import.
    if (arguments->noData && arguments->unloadDir.empty() && arguments->csvDir.empty()) return 0;
    std::error_code fsError;
    for (const std::string& folder : {arguments->unloadDir, arguments->csvDir}) {
        if (!folder.empty()) std::filesystem::create_directories(folder, fsError);
    }
    vela::UnloadFileSink unload(arguments->unloadDir);
    vela::CsvFileSink csv(arguments->csvDir);
    FanOutSink sinks;
    if (!arguments->noData) sinks.targets.push_back(&files);
    if (!arguments->unloadDir.empty()) sinks.targets.push_back(&unload);
    if (!arguments->csvDir.empty()) sinks.targets.push_back(&csv);
    const vela::DemoCounts counts = vela::GenerateDemoOffice(arguments->office, sinks);
    if ((!arguments->unloadDir.empty() && !unload.Close(error)) ||
        (!arguments->csvDir.empty() && !csv.Close(error)) ||
        (!arguments->noData && !files.Close(error))) {
        std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
        return 1;
    }
    // The sample return files belong to the demo's own records only.
    if (!arguments->noData && arguments->office.checkCases &&
        !vela::WriteSampleReturns(arguments->root, arguments->office, error)) {
        std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
        return 1;
    }
    // Where the records went: the record files, or only the CSV (or unload)
    // files of an installation left empty.
    const std::string& copies =
        arguments->csvDir.empty() ? arguments->unloadDir : arguments->csvDir;
    const char* extension = arguments->csvDir.empty() ? ".unl" : ".csv";
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const vela::RecordFileInfo& file = vela::kRecordFiles[i];
        const std::string where =
            arguments->noData
                ? (std::filesystem::path(copies) / (std::string(file.name) + extension)).string()
                : std::string(file.path);
        std::printf("%-16s %9zu records\n", where.c_str(), counts[i]);
    }
    return 0;
}
