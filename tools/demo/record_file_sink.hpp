// Puts the demo office into real record files through the record manager:
// each of the nine files is created from its dictionary entry (replacing an
// earlier demo file) and its records inserted in batches, one write
// transaction per batch, so a large office loads in seconds rather than
// committing a million single inserts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "recman/record_manager.hpp"
#include "tools/demo/demo_office.hpp"

namespace vela {

class RecordManagerSink : public DemoRecordSink {
  public:
    // root: the installation's host folder.
    explicit RecordManagerSink(std::string root);
    ~RecordManagerSink() override;

    // Creates the nine files empty, replacing earlier ones; with open, also
    // opens them for Add.
    bool Create(bool open, std::string& error);

    // The first of the nine files that exists under root; empty when none.
    static std::string ExistingFile(const std::string& root);
    void Add(const RecordFileInfo& file, std::string_view record) override;
    // Commits what is pending and closes the files; false when any insert
    // or commit failed.
    bool Close(std::string& error);

    // The host path of a record file of the installation.
    static std::string DataFilePath(const std::string& root, const RecordFileInfo& file);

  private:
    struct OpenFile {
        std::array<std::uint8_t, kPositionBlockSize> block{};
        bool open = false;
        bool inTransaction = false;
        std::size_t pending = 0;
    };
    std::string root_;
    std::array<OpenFile, 9> files_;
    std::string failure_;
};

}  // namespace vela
