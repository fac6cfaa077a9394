// The session launcher's core: what a session of the family looks like
// before a program starts in it. The menu system of an office prepares a
// session folder with "Sessio.ini" (the menu, the operator, the terminal's
// folder) and "VelaTerm.ini" (screen colours, working date, output device,
// language) and hands the program the installation root, the executables
// folder and the session folder in RUKROOT, RUKEXE and RUKTMP. vela-session
// stands in for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vela {

struct SessionOptions {
    std::string root;          // installation root, as given
    std::string language;      // "CAT", "SPA", "GLG", "OCI" or empty (Vela.ini decides)
    std::string date;          // YYYYMMDD; empty: today
    std::string device;        // output device; empty: the screen
    std::string sessionDir;    // empty: ROOT/SESSIONS/<login name>/
    std::string exeDir;        // empty: the launcher's own folder
    std::string operatorName;  // empty: the user's login name
    std::string program;
    std::vector<std::string> arguments;
    bool help = false;
};

extern const char* const kSessionUsage;

// The command line after the program name; nothing (and error says why)
// when it is not a valid one.
std::optional<SessionOptions> ParseSessionArguments(const std::vector<std::string>& args,
                                                    std::string& error);

// Key settings of the two session files, in the order they are written.
struct SessionSetting {
    std::string file;  // "Sessio.ini" or "VelaTerm.ini"
    std::string section;
    std::string key;
    std::string value;
};

// sessionDir and date are final here (a folder ending in "/", a date of 8
// digits).
std::vector<SessionSetting> SessionSettings(const SessionOptions& options,
                                            const std::string& sessionDir, const std::string& date);

// The session folder of a login name when none is named:
// ROOT/SESSIONS/<login name>/ ("OPERADOR" for a name that cannot be a
// folder name).
std::string DefaultSessionFolder(const std::string& root, const std::string& loginName);

// A folder text with one "/" at its end.
std::string WithSeparator(const std::string& folder);

}  // namespace vela
