#include "tools/print_program/text_rendering.hpp"

#include "platform/code_page_850.hpp"

namespace vela {

std::string RenderPageText(const SpoolPage& page) {
    std::string text;
    for (const std::string& line : page.lines) {
        text += Utf8FromCp850(line);
        text += '\n';
    }
    return text;
}

bool TextRenderingFile::Open(const std::string& hostPath) {
    out_.open(hostPath, std::ios::binary | std::ios::trunc);
    pages_ = 0;
    return static_cast<bool>(out_);
}

void TextRenderingFile::AddPage(const SpoolPage& page) {
    if (pages_++ > 0) out_ << "\f\n";
    out_ << RenderPageText(page);
}

bool TextRenderingFile::Close() {
    out_.flush();
    const bool good = static_cast<bool>(out_);
    out_.close();
    return good && !out_.fail();
}

}  // namespace vela
