#include "print/spool_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "env/session.hpp"
#include "platform/host_path.hpp"
#include "print/spool_directives.hpp"

namespace vela {

SpoolState Spool;

namespace {

std::FILE* spoolFile = nullptr;
// The first write or close that failed since OpenSpool, in the system's
// words; empty while all is well.
std::string spoolError;

void NoteFailure() {
    if (spoolError.empty()) spoolError = std::strerror(errno);
}

// Every line goes out with its control characters blanked, whatever
// directive it is: a record text (an e-mail address, a name) can never end
// a directive early or start one of its own.
void WriteLine(const std::string& line) {
    if (spoolFile == nullptr) return;
    const std::string text = PrintableText(line) + "\r\n";
    if (std::fwrite(text.data(), 1, text.size(), spoolFile) != text.size()) NoteFailure();
}

}  // namespace

std::string SpoolPath() { return Session.tmpDir + "rovodovo.tmp"; }

bool OpenSpool(const std::string& device) {
    CloseSpool();
    spoolError.clear();
    spoolFile = std::fopen(ResolveHostPath(SpoolPath()).c_str(), "wb");
    if (spoolFile == nullptr) {
        NoteFailure();
        return false;
    }
    WriteLine(DeviceDirective(device));
    return true;
}

void SetJustification(std::string& alignment) {
    alignment = JustificationCode(alignment);
    WriteLine(JustificationDirective(alignment));
}

void PrintControl(const std::string& control) { WriteLine(ControlDirective(control)); }

void SpoolSend(const std::string& destination) { WriteLine(SendDirective(destination)); }

void NewPage(std::int16_t lines) {
    WriteLine(PageDirective(lines));
    Spool.pageLength = lines;
    Spool.lineCount = 0;
    Spool.column = 0;
}

void PrintText(std::int16_t column, const std::string& text, std::int16_t advance) {
    const std::string printable = PrintableText(text);
    if (Spool.lineCount >= Spool.pageLength) NewPage(Spool.pageLength);
    WriteLine(TextDirective(column, printable, advance));
    if (advance != 0) {
        Spool.lineCount = static_cast<std::int16_t>(Spool.lineCount + advance);
        Spool.column = 0;
    } else {
        if (column != 0) Spool.column = column;
        Spool.column = static_cast<std::int16_t>(Spool.column + printable.size());
    }
}

bool CloseSpool() {
    if (spoolFile != nullptr && std::fclose(spoolFile) != 0) NoteFailure();
    spoolFile = nullptr;
    return spoolError.empty();
}

const std::string& SpoolError() { return spoolError; }

}  // namespace vela
