// The text rendering of a document: its pages as UTF-8 lines, pages
// separated by a form feed on a line of its own, written page by page.
#pragma once

#include <fstream>
#include <string>

#include "tools/print_program/spool_document.hpp"

namespace vela {

// One page as text: each line in UTF-8 followed by a line end.
std::string RenderPageText(const SpoolPage& page);

class TextRenderingFile {
  public:
    bool Open(const std::string& hostPath);
    void AddPage(const SpoolPage& page);
    // Closes the file; false when anything could not be written.
    bool Close();

  private:
    std::ofstream out_;
    int pages_ = 0;
};

}  // namespace vela
