// Test support: an installation root holding the folders and dictionaries of
// the office's record files, and no record files yet.
#pragma once

#include <filesystem>
#include <string>

#include "app/records/record_layouts.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela::testing {

inline void WriteDictionaries(const TempFolder& root) {
    for (const char* folder : {"ddf", "DADES", "TAULES"}) {
        std::filesystem::create_directories(root / folder);
    }
    for (const RecordFileInfo& file : kRecordFiles) {
        WriteFile(root / ("ddf/" + std::string(file.name) + ".xdf"),
                  std::string(file.dictionaryEntry));
    }
}

}  // namespace vela::testing
