#include "print/spool_file.hpp"

#include <cstdio>

#include "env/session.hpp"
#include "platform/host_path.hpp"
#include "print/spool_directives.hpp"

namespace vela {

SpoolState Spool;

namespace {

std::FILE* spoolFile = nullptr;

void WriteLine(const std::string& line) {
    if (spoolFile == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), spoolFile);
    std::fwrite("\r\n", 1, 2, spoolFile);
}

}  // namespace

std::string SpoolPath() {
    return Session.tmpDir + "rovodovo.tmp";
}

bool OpenSpool(const std::string& device) {
    CloseSpool();
    spoolFile = std::fopen(ResolveHostPath(SpoolPath()).c_str(), "wb");
    WriteLine(DeviceDirective(device));
    return spoolFile != nullptr;
}

void SetJustification(std::string& alignment) {
    alignment = JustificationCode(alignment);
    WriteLine(JustificationDirective(alignment));
}

void PrintControl(const std::string& control) {
    WriteLine(ControlDirective(control));
}

void SpoolSend(const std::string& destination) {
    WriteLine(SendDirective(destination));
}

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

void CloseSpool() {
    if (spoolFile != nullptr) std::fclose(spoolFile);
    spoolFile = nullptr;
}

}  // namespace vela
