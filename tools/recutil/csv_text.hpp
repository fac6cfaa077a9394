// Comma-separated values as spreadsheets exchange them (RFC 4180): values
// separated by commas, rows ended by CR LF, a value quoted when it holds a
// comma, a quote, a line break or a blank at either end, quotes inside a
// quoted value doubled. The reader also takes rows ended by LF alone, a
// UTF-8 byte order mark at the start, and skips empty lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vela::recutil {

// One value as it stands in a row: quoted only when it must be.
std::string CsvValue(std::string_view value);

// One row: the values separated by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& values);

struct CsvRow {
    std::size_t line = 0;  // the line the row starts on, from 1
    std::vector<std::string> values;
};

class CsvReader {
  public:
    // text must outlive the reader.
    explicit CsvReader(std::string_view text);

    // The next row. False at the end of the text, and on malformed text,
    // with error naming the line and column ("line 4, column 2: ...").
    bool Next(CsvRow& row, std::string& error);

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
};

}  // namespace vela::recutil
