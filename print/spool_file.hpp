// The spool file writer. Reports are never sent to a printer by this program:
// they are written as a spool file, tmpDir + "rovodovo.tmp" (code page 850,
// lines ended by CR LF, see spool_directives.hpp), which the family's print
// program renders or mails afterwards. One spool file is open at a time.
//
// The writer keeps the page length, the lines advanced on the current page
// and the column reached on the current line in Spool; reports read the
// counters to lay out their pages, and PrintText starts a new page by itself
// when the page is full.
//
//   OpenSpool(Session.outputDevice);
//   NewPage(66);
//   PrintControl("@e");
//   PrintText(1, title, 2);
//   ...
//   CloseSpool();
#pragma once

#include <cstdint>
#include <string>

namespace vela {

struct SpoolState {
    std::int16_t pageLength = 0;  // lines per page, set by NewPage
    std::int16_t lineCount = 0;   // lines advanced on the current page
    std::int16_t column = 0;      // column reached on the current line, 0 at its start
};

// Read by the reports; written only by the functions below. The counters keep
// their values after CloseSpool until the next NewPage.
extern SpoolState Spool;

// Opens the spool file anew (an existing one is overwritten) and writes the
// device directive. False when the file cannot be created; the writer then
// writes nothing until the next successful OpenSpool.
//
// Every directive is written with its control characters (codes 0-31, 127
// and 255) blanked, as PrintText does for its text, so that no text taken
// from a record can end a directive or add one.
bool OpenSpool(const std::string& device);

// Replaces the alignment text with its justification code and writes the
// directive.
void SetJustification(std::string& alignment);

void PrintControl(const std::string& control);

// Tags the current document for e-mail delivery: address + ",," + name.
void SpoolSend(const std::string& destination);

// Starts a page of lines lines; the counters restart.
void NewPage(std::int16_t lines);

// Writes text at column (0: where the line stands) and advances advance
// lines (0: the line stays open and column grows by the text's length).
// A full page (lineCount reached pageLength) first gets a page directive of
// the same length. Control characters are written as blanks; the caller's
// text is not changed.
void PrintText(std::int16_t column, const std::string& text, std::int16_t advance);

// Closes the spool file. False when it could not be created, a write failed
// (a full disk) or the close failed: the file is then incomplete, and
// SpoolError says why.
bool CloseSpool();

// The system's reason for the first failure since the last OpenSpool; empty
// when there was none.
const std::string& SpoolError();

// The spool file's path as the installation writes it.
std::string SpoolPath();

}  // namespace vela
