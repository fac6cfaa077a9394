#include "app/filing_check_files.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/filing_check_text.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;

std::string FolderName(const std::string& hostPath) {
    return fs::path(hostPath).parent_path().filename().string();
}

bool ReadWholeFile(const std::string& hostPath, std::string& bytes) {
    std::error_code error;
    if (!fs::is_regular_file(hostPath, error)) return false;
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

void CheckCounts::Count(const std::vector<Finding>& findings) {
    ++files;
    for (const Finding& finding : findings) {
        (finding.severity() == 'E' ? errors : warnings) += 1;
    }
}

std::vector<std::string> ReturnFilesUnder(const std::string& hostFolder) {
    std::vector<std::string> files;
    std::error_code error;
    fs::recursive_directory_iterator it(hostFolder, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && IsReturnFileName(it->path().filename().string())) {
            files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool CheckReturnPath(const std::string& hostPath, const PayeeDirectory* payees,
                     std::vector<Finding>& findings) {
    std::string bytes;
    if (!ReadWholeFile(hostPath, bytes)) return false;
    findings = CheckReturnFile(bytes, FolderName(hostPath), payees);
    return true;
}

FolderReview ReviewReturnFolder(const std::string& hostFolder,
                                const std::vector<std::string>& written,
                                const PayeeDirectory* payees) {
    FolderReview review;
    std::vector<std::string> lines;
    std::vector<std::string> writtenNames;
    for (const std::string& path : written) {
        writtenNames.push_back(fs::path(path).filename().string());
        std::vector<Finding> findings;
        if (!CheckReturnPath(path, payees, findings)) {
            ++review.counts.unreadable;
            continue;
        }
        // The run's paths may hold a doubled separator.
        const std::string shown = fs::path(path).lexically_normal().string();
        const std::string owner = OwnerDigitsOfReturnFile(shown);
        for (const Finding& finding : findings) {
            lines.push_back(FindingLine(shown, finding, owner));
        }
        review.counts.Count(findings);
    }

    std::vector<std::string> present;
    std::error_code error;
    for (fs::directory_iterator it(hostFolder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code typeError;
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(typeError) && IsReturnFileName(name)) present.push_back(name);
    }
    for (const std::string& name : StaleReturnFiles(present, writtenNames)) {
        Finding finding;
        finding.problem = Problem::staleFile;
        const std::string path = (fs::path(hostFolder) / name).lexically_normal().string();
        lines.push_back(FindingLine(path, finding, OwnerDigitsOfReturnFile(path)));
        ++review.counts.warnings;
    }

    // Written beside and renamed over the old report, so that a reader never
    // sees half of one.
    review.reportPath = (fs::path(hostFolder) / kReviewFileName).lexically_normal().string();
    const std::string partial = review.reportPath + ".tmp";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) out << line << "\r\n";
        out.flush();
        review.reportWritten = static_cast<bool>(out);
    }
    if (review.reportWritten) {
        review.reportWritten = std::rename(partial.c_str(), review.reportPath.c_str()) == 0;
    }
    if (!review.reportWritten) std::remove(partial.c_str());
    return review;
}

}  // namespace vela
