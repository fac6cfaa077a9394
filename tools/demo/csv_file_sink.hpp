// Writes the demo office as comma-separated values, one file
// <folder>/<name>.csv per record file, in the form recutil export writes and
// recutil import reads: an office's spreadsheet exports look like these.
#pragma once

#include <array>
#include <fstream>
#include <memory>
#include <string>

#include "tools/demo/demo_office.hpp"

namespace vela {

class CsvFileSink : public DemoRecordSink {
  public:
    explicit CsvFileSink(std::string folder);
    void Add(const RecordFileInfo& file, std::string_view record) override;
    // Writes the files still missing (a header alone) and closes them; false
    // when one could not be written completely.
    bool Close(std::string& error);

  private:
    std::ofstream& Stream(std::size_t index);

    std::string folder_;
    std::array<std::unique_ptr<std::ofstream>, 9> files_;
};

}  // namespace vela
