// The session: what the menu system hands a program of the family through
// environment variables (RUKROOT, RUKEXE, RUKTMP, TERM) and the session INI
// files ("Sessio.ini" and "VelaTerm.ini" in the session folder, "Vela.ini"
// in the installation root). ReadSession fills the process-wide record
// Session once at start-up; every other module reads its folders, operator,
// colours, working date, output device and language from there.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vela {

struct SessionRecord {
    std::string rootDir;    // installation root, as RUKROOT gives it
    std::string exeDir;     // the family's executables, as RUKEXE gives it
    std::string tmpDir;     // session folder, ending in a separator
    std::string menuTitle;  // " " + [Menu] Titol + " "
    std::string menuName;
    std::string menu;
    std::string menuChain;
    std::string operatorName;  // [Menu] Operador
    std::int16_t operatorType = 0;
    std::string terminalDir;  // the terminal's own folder, ending in a separator
    // Console colour pairs: rows 0 plain, 1 "N", 2 "R", 3 "R"+"N", 4 "U";
    // column 0 foreground, 1 background (colours 0-15).
    std::array<std::array<std::int16_t, 2>, 5> colourPairs{};
    std::string workDate;      // packed YYYYMMDD, 4 bytes (empty when not given)
    std::string outputDevice;  // default destination of printed reports
    std::string language;      // "CAT", "SPA", "GLG", "OCI" or blanks; always 3 characters
    std::string runMode;       // "CGI", "WIN" or "DOS"
    std::string currencyA;     // first currency slot: "E" after start-up
    std::string currencyP;     // second currency slot: empty unless set
    std::string currency;      // the currency in force for amount editing
};

extern SessionRecord Session;

// Re-reads everything and overwrites every field of Session.
void ReadSession();

// "a,X" fills slot A with X (default "E") and puts it in force; "p,X" (any
// other first letter) fills slot P (default: slot A) without changing the
// currency in force; "p" alone puts slot P in force (slot A when P is
// empty); anything else puts slot A in force.
void SelectCurrency(const std::string& spec);

}  // namespace vela
