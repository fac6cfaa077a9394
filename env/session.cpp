#include "env/session.hpp"

#include "datenum/calendar_dates.hpp"
#include "datenum/numeric_value.hpp"
#include "datenum/text_utils.hpp"
#include "env/ini_file.hpp"
#include "platform/environment.hpp"

namespace vela {

SessionRecord Session;

namespace {

// A folder text gets a separator at its end unless it has one ("C:" keeps
// its drive form). "/" counts as a separator, so host folders work as given.
void NormaliseFolder(std::string& folder) {
    if (!folder.empty() && folder.back() != ':' && folder.back() != '\\' && folder.back() != '/') {
        folder += '\\';
    }
}

std::string FixedWidth(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

char UpperFirst(const std::string& s) {
    if (s.empty()) return ' ';
    const char c = s[0];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

}  // namespace

void ReadSession() {
    Session.colourPairs = {};
    Session.rootDir = GetEnvironment("RUKROOT");
    Session.exeDir = GetEnvironment("RUKEXE");
    Session.tmpDir = GetEnvironment("RUKTMP");
    NormaliseFolder(Session.tmpDir);

    const std::string sessionIni = Session.tmpDir + "Sessio.ini";
    Session.menuTitle = " " + IniRead(sessionIni, "Menu", "Titol") + " ";
    Session.menuName = IniRead(sessionIni, "Menu", "NomMenu");
    Session.menu = IniRead(sessionIni, "Menu", "Menu");
    Session.menuChain = IniRead(sessionIni, "Menu", "ChnMenu");
    Session.operatorName = IniRead(sessionIni, "Menu", "Operador");
    Session.operatorType = NumericValue16(IniRead(sessionIni, "Menu", "RukTipOper"));

    Session.terminalDir = IniRead(sessionIni, "Terminal", "Dir");
    if (Session.terminalDir.empty()) Session.terminalDir = GetEnvironment("TERM");
    NormaliseFolder(Session.terminalDir);
    if (Session.tmpDir.empty()) Session.tmpDir = Session.terminalDir;

    Session.currencyA.clear();
    Session.currencyP.clear();
    SelectCurrency("a,E");

    const std::string terminalIni = Session.tmpDir + "VelaTerm.ini";
    const int selection = NumericValue16(IniRead(terminalIni, "Pantalla", "Seleccio"));
    std::string colours = IniRead(terminalIni, "Pantalla", "Col" + std::to_string(selection));
    if (colours.empty()) colours = "15000700000700070007";
    for (std::size_t row = 0; row < 5; ++row) {
        for (std::size_t column = 0; column < 2; ++column) {
            const std::size_t at = 4 * row + 2 * column;
            const std::string pair = at < colours.size() ? colours.substr(at, 2) : "";
            Session.colourPairs[row][column] = NumericValue16(pair);
        }
    }

    Session.workDate = PackDigits(IniRead(terminalIni, "Sistema", "Data"));
    Session.outputDevice = IniRead(terminalIni, "Sistema", "Sortida");
    Session.language = FixedWidth(IniRead(terminalIni, "Sistema", "Idioma"), 3);
    if (TrimBlanks(Session.language).empty()) {
        Session.language =
            FixedWidth(IniRead(GetEnvironment("RUKROOT") + "Vela.ini", "Usuari", "Idioma"), 3);
    }

    if (!GetEnvironment("HTTP_USER_AGENT").empty() || !GetEnvironment("HTTP_ACCEPT").empty()) {
        Session.runMode = "CGI";
    } else if (!GetEnvironment("WINDIR").empty() || !GetEnvironment("SYSTEMROOT").empty()) {
        Session.runMode = "WIN";
    } else {
        Session.runMode = "DOS";
    }
}

void SelectCurrency(const std::string& spec) {
    const auto comma = spec.find(',');
    if (comma != std::string::npos) {
        const std::string letter(1, UpperFirst(TrimBlanks(spec.substr(comma + 1))));
        const bool blank = letter == " ";
        if (UpperFirst(spec) == 'A') {
            Session.currencyA = blank ? "E" : letter;
            Session.currency = Session.currencyA;
        } else {
            Session.currencyP = blank ? Session.currencyA : letter;
        }
        return;
    }
    if (UpperFirst(spec) == 'P') {
        Session.currency = Session.currencyP.empty() ? Session.currencyA : Session.currencyP;
    } else {
        Session.currency = Session.currencyA;
    }
}

}  // namespace vela
