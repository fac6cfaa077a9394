// Writing a demo installation to disk: "Vela.ini", the installation data kept
// in the repository (forms, language file, help pages), the data dictionary
// entries, and the record files' contents through a sink that the caller
// chooses.
#pragma once

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "tools/demo/demo_office.hpp"

namespace vela {

struct DemoInstallation {
    std::string root;     // host folder, created when missing
    std::string dataDir;  // the repository's data folder (LOCALE, FORMS, AJUDA)
    DemoOptions office;
};

// Vela.ini, the copied data folders, the dictionaries (ddf/*.xdf) and the
// empty folders DADES and TAULES. False with the reason in error when something cannot be
// written.
bool WriteInstallationFiles(const DemoInstallation& installation, std::string& error);

// Writes each file's records as an unload file <folder>/<name>.unl.
class UnloadFileSink : public DemoRecordSink {
  public:
    explicit UnloadFileSink(std::string folder);
    void Add(const RecordFileInfo& file, std::string_view record) override;
    // False when a file could not be written completely.
    bool Close(std::string& error);

  private:
    std::string folder_;
    std::array<std::unique_ptr<std::ofstream>, 9> files_;
};

}  // namespace vela
