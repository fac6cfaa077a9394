// The print program's reading of a spool file: directives one a line (device,
// justification, control, send, page, positioned text) turned into documents
// of pages of plain lines, as a fixed-pitch printer would lay them out.
//
// A document starts at a send directive (a certificate tagged for e-mail)
// or, without any, the whole spool file is one document. Columns count from
// 1; a text at column 0 continues where the line stands. Justification "N
// count \c\" fills the gap after the text that follows it with c up to column count; the other
// alignments leave fixed-pitch text where its column puts it.
#pragma once

#include <string>
#include <vector>

namespace vela {

struct SpoolPage {
    std::vector<std::string> lines;  // code page 850, trailing blanks removed
};

struct SpoolDocument {
    std::string sendTo;                 // the send directive's text ("" when not tagged)
    std::vector<std::string> controls;  // control texts in order ("@e", "bi", ...)
    std::vector<SpoolPage> pages;
};

struct SpoolContents {
    std::string device;
    std::vector<SpoolDocument> documents;
    std::vector<std::string> unreadLines;  // lines that are no directive
};

SpoolContents ReadSpool(const std::string& spoolText);

}  // namespace vela
