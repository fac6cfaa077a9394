// check190 PATH...: checks return files before they are filed. PATH is a
// return file or a folder (every file "P" and digits under it). One line a
// finding on standard output, "PATH:RECORD:POSITION: SEVERITY CODE text",
// the texts in the session's language (Catalan without a session). Exit 0
// no finding, 1 warnings only, 2 errors, 3 a PATH could not be read.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/filing_check.hpp"
#include "app/filing_check_files.hpp"
#include "app/filing_check_listing.hpp"
#include "app/filing_check_text.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"

namespace {

const char* const kUsage =
    "usage: check190 [--listing FILE] PATH...\n"
    "  Checks return files (or every return file, named P and digits, under a\n"
    "  folder) against the record design of the return before filing. One\n"
    "  line a finding: PATH:RECORD:POSITION: SEVERITY CODE text (E the tax\n"
    "  administration rejects it, W very probably wrong data). Run it through\n"
    "  vela-session for the texts in the session's language.\n"
    "  --listing FILE  the annual listing of the same selection as the print\n"
    "  program wrote it (ROVODOVO/DOC0001.txt): owners whose totals there\n"
    "  differ from their return file's are reported (X1).\n"
    "  Exit status: 0 no finding, 1 warnings only, 2 errors, 3 a PATH or the\n"
    "  listing could not be read.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    std::string listingPath;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--listing") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "check190: --listing needs a file\n%s", kUsage);
                return 3;
            }
            listingPath = argv[++i];
            continue;
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
    std::vector<vela::ListingOwnerTotals> listing;
    if (!listingPath.empty()) {
        std::ifstream in(listingPath, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        if (!in) {
            std::fprintf(stderr, "check190: %s cannot be read\n", listingPath.c_str());
            ++counts.unreadable;
        }
        listing = vela::ReadListingOwnerTotals(text);
    }
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
            if (!listing.empty() && !owner.empty()) {
                std::ifstream in(file, std::ios::binary);
                std::string declarant(500, ' ');
                in.read(declarant.data(), 500);
                for (vela::Finding& finding : vela::CompareWithListing(declarant, owner, listing)) {
                    findings.push_back(std::move(finding));
                }
                std::stable_sort(findings.begin(), findings.end(),
                                 [](const vela::Finding& a, const vela::Finding& b) {
                                     return a.record != b.record ? a.record < b.record
                                                                 : a.position < b.position;
                                 });
            }
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
