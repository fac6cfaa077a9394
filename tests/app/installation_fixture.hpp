// Test support: an installation root holding the folders and dictionaries of
// the office's record files, and no record files yet; and the program's form
// description, which the program reads before anything else.
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

inline void WriteProgramForms(const TempFolder& root) {
    std::filesystem::create_directories(root / "FORMS");
    WriteFile(root / "FORMS/KELD0190.KFM",
              ReadFile(std::string(VELA_SOURCE_DIR) + "/data/FORMS/KELD0190.KFM"));
}

}  // namespace vela::testing
