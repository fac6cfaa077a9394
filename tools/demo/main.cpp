// vela-demo: writes a complete demo installation (see demo_office.hpp).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/demo/demo_arguments.hpp"
#include "tools/demo/demo_check_cases.hpp"
#include "tools/demo/demo_installation.hpp"
#include "tools/demo/record_file_sink.hpp"

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
    if (arguments->noData) return 0;
    vela::DemoCounts counts{};
    if (arguments->unloadDir.empty()) {
        counts = vela::GenerateDemoOffice(arguments->office, files);
    } else {
        // Both at once: every record goes to its file and its unload file.
        std::error_code fsError;
        std::filesystem::create_directories(arguments->unloadDir, fsError);
        vela::UnloadFileSink unload(arguments->unloadDir);
        vela::TeeSink both(files, unload);
        counts = vela::GenerateDemoOffice(arguments->office, both);
        if (!unload.Close(error)) {
            std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
            return 1;
        }
    }
    if (!files.Close(error)) {
        std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
        return 1;
    }
    if (arguments->office.checkCases &&
        !vela::WriteSampleReturns(arguments->root, arguments->office, error)) {
        std::fprintf(stderr, "vela-demo: %s\n", error.c_str());
        return 1;
    }
    for (std::size_t i = 0; i < counts.size(); ++i) {
        std::printf("%-16s %9zu records\n", std::string(vela::kRecordFiles[i].path).c_str(),
                    counts[i]);
    }
    return 0;
}
