// Return files on disk for the check: the return files under a folder,
// reading and checking one file into report lines, and the review of a
// return folder after a run, written to "REVISIO.TXT" in that folder.
#pragma once

#include <string>
#include <vector>

#include "app/filing_check.hpp"

namespace vela {

inline constexpr const char* kReviewFileName = "REVISIO.TXT";

struct CheckCounts {
    int files = 0;
    int errors = 0;
    int warnings = 0;
    int unreadable = 0;
    void Count(const std::vector<Finding>& findings);
};

// The return files ("P" and digits) under a host folder at any depth, sorted.
std::vector<std::string> ReturnFilesUnder(const std::string& hostFolder);

// Reads and checks one return file (host path), its folder's name giving
// the year. False when the file cannot be read.
bool CheckReturnPath(const std::string& hostPath, const PayeeDirectory* payees,
                     std::vector<Finding>& findings);

struct FolderReview {
    CheckCounts counts;
    std::string reportPath;  // host path of REVISIO.TXT
    bool reportWritten = false;
};

// After a run: checks the return files it wrote in hostFolder (host paths),
// reports the folder's other return files as not written by this run, and
// writes every line to REVISIO.TXT in the folder, replacing an older one.
FolderReview ReviewReturnFolder(const std::string& hostFolder,
                                const std::vector<std::string>& written,
                                const PayeeDirectory* payees);

}  // namespace vela
