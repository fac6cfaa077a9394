// check190 PATH...: checks return files before they are filed. PATH is a
// return file or a folder (every file "P" and digits under it). One line a
// finding on standard output, "PATH:RECORD:POSITION: SEVERITY CODE text",
// the texts in the session's language (Catalan without a session). Exit 0
// no finding, 1 warnings only, 2 errors, 3 a PATH could not be read.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/filing_check.hpp"
#include "app/filing_check_files.hpp"
#include "app/filing_check_text.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"

namespace {

const char* const kUsage =
    "usage: check190 PATH...\n"
    "  Checks return files (or every return file, named P and digits, under a\n"
    "  folder) against the record design of the return before filing. One\n"
    "  line a finding: PATH:RECORD:POSITION: SEVERITY CODE text (E the tax\n"
    "  administration rejects it, W very probably wrong data). Run it through\n"
    "  vela-session for the texts in the session's language.\n"
    "  Exit status: 0 no finding, 1 warnings only, 2 errors, 3 a PATH could\n"
    "  not be read.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "check190: unknown option %s\n%s", argument.c_str(), kUsage);
            return 3;
        }
        paths.push_back(argument);
    }
    if (paths.empty()) {
        std::fputs(kUsage, stderr);
        return 3;
    }
    // In a session the texts follow its language; without one they stay
    // Catalan.
    if (std::getenv("RUKROOT") || std::getenv("RUKTMP")) vela::ReadSession();
    vela::SetTranslationModule("KELD0190");

    vela::CheckCounts counts;
    for (const std::string& path : paths) {
        std::error_code error;
        std::vector<std::string> files;
        if (std::filesystem::is_directory(path, error)) {
            files = vela::ReturnFilesUnder(path);
        } else {
            files.push_back(path);
        }
        for (const std::string& file : files) {
            std::vector<vela::Finding> findings;
            if (!vela::CheckReturnPath(file, nullptr, findings)) {
                std::fprintf(stderr, "check190: %s cannot be read\n", file.c_str());
                ++counts.unreadable;
                continue;
            }
            const std::string owner = vela::OwnerDigitsOfReturnFile(file);
            for (const vela::Finding& finding : findings) {
                // The path as given; the rest of the line from code page 850.
                std::printf("%s%s\n", file.c_str(),
                            vela::Utf8FromCp850(vela::FindingLine("", finding, owner)).c_str());
            }
            counts.Count(findings);
        }
    }
    std::fflush(stdout);
    if (counts.unreadable > 0) return 3;
    if (counts.errors > 0) return 2;
    return counts.warnings > 0 ? 1 : 0;
}
