// ROVODOVO: the family's print program, in its plain-text form. It reads the
// session's spool file "rovodovo.tmp" and "ROVODOVO.INI" [Opcions] "Correu",
// and writes every document of the spool file as a text rendering into the
// session folder's "ROVODOVO" folder, with an index naming the documents
// tagged for e-mail and their recipients.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "env/ini_file.hpp"
#include "env/session.hpp"
#include "env/session_check.hpp"
#include "platform/code_page_850.hpp"
#include "platform/host_path.hpp"
#include "tools/print_program/spool_document.hpp"

namespace {

constexpr const char* kUsage =
    "usage: ROVODOVO\n"
    "  Renders the session's spool file (RUKTMP/rovodovo.tmp) as text files in\n"
    "  RUKTMP/ROVODOVO/, one a document, with INDEX.txt listing them and the\n"
    "  documents to be sent by e-mail (ROVODOVO.INI [Opcions] Correu=S).\n";

bool WriteText(const std::string& hostPath, const std::string& text) {
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string Render(const vela::SpoolDocument& document) {
    std::string text;
    for (std::size_t p = 0; p < document.pages.size(); ++p) {
        if (p > 0) text += "\f\n";
        for (const std::string& line : document.pages[p].lines) {
            text += vela::Utf8FromCp850(line);
            text += '\n';
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0;
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    vela::ReadSession();
    if (const std::string missing = vela::MissingSession("ROVODOVO"); !missing.empty()) {
        std::fprintf(stderr, "ROVODOVO: %s\n", missing.c_str());
        return 1;
    }
    const std::string spoolPath = vela::ResolveHostPath(vela::Session.tmpDir + "rovodovo.tmp");
    std::ifstream in(spoolPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "ROVODOVO: cannot read the spool file %s\n", spoolPath.c_str());
        return 1;
    }
    std::ostringstream spool;
    spool << in.rdbuf();
    const vela::SpoolContents contents = vela::ReadSpool(spool.str());
    const bool mail =
        vela::IniRead(vela::Session.tmpDir + "ROVODOVO.INI", "Opcions", "Correu") == "S";

    const std::string folder = vela::ResolveHostPath(vela::Session.tmpDir + "ROVODOVO");
    ::mkdir(folder.c_str(), 0777);
    std::string index = "device: " + vela::Utf8FromCp850(contents.device) + "\n";
    index += std::string("e-mail: ") + (mail ? "yes" : "no") + "\n";
    for (std::size_t d = 0; d < contents.documents.size(); ++d) {
        const vela::SpoolDocument& document = contents.documents[d];
        char name[32];
        std::snprintf(name, sizeof name, "DOC%04zu.txt", d + 1);
        if (!WriteText(folder + "/" + name, Render(document))) {
            std::fprintf(stderr, "ROVODOVO: cannot write %s/%s\n", folder.c_str(), name);
            return 1;
        }
        index += std::string(name) + "\tpages " + std::to_string(document.pages.size());
        if (!document.sendTo.empty() || mail) {
            const auto comma = document.sendTo.find(",,");
            const std::string address = document.sendTo.substr(0, comma);
            const std::string recipient =
                comma == std::string::npos ? std::string() : document.sendTo.substr(comma + 2);
            index += "\tsend to: " + vela::Utf8FromCp850(address) +
                     "\trecipient: " + vela::Utf8FromCp850(recipient);
        }
        index += "\n";
    }
    for (const std::string& line : contents.unreadLines) {
        index += "unread spool line: " + vela::Utf8FromCp850(line) + "\n";
    }
    if (!WriteText(folder + "/INDEX.txt", index)) {
        std::fprintf(stderr, "ROVODOVO: cannot write %s/INDEX.txt\n", folder.c_str());
        return 1;
    }
    return 0;
}
