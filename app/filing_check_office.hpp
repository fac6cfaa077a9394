// The check of the return files a run has just written, with what the
// office's payee records add to the files: each payee's code (so the report
// says which record to correct) and whether its address line had a postal
// code (a province taken by default is suspicious).
#pragma once

#include <string>
#include <vector>

#include "app/filing_check.hpp"
#include "app/filing_check_files.hpp"

namespace vela {

// Every payee record, by the 9 characters of its tax number that the return
// carries, or by its name when it has none; read through the open payee
// file.
PayeeDirectory ReadPayeeDirectory();

// Reviews one return folder of the run (installation path, as the run
// builds it) given the host paths of the files the run wrote there.
FolderReview ReviewWrittenReturns(const std::string& returnFolder,
                                  const std::vector<std::string>& writtenFiles);

}  // namespace vela
