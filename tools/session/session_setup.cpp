#include "tools/session/session_setup.hpp"

#include <algorithm>
#include <cctype>

namespace vela {

const char* const kSessionUsage =
    "usage: vela-session ROOT [--lang CAT|SPA|GLG|OCI] [--date YYYYMMDD]\n"
    "                    [--device TEXT] [--session DIR] [--exe DIR]\n"
    "                    [--operator NAME] -- PROGRAM [ARGS...]\n"
    "  Prepares a session folder with Sessio.ini and VelaTerm.ini, sets RUKROOT,\n"
    "  RUKEXE and RUKTMP, and runs PROGRAM from RUKEXE with ARGS, returning its\n"
    "  exit code. The session folder is kept: the listings and certificates a\n"
    "  run writes stay there (in its ROVODOVO folder).\n"
    "  --lang      the session language (default: Vela.ini [Usuari] Idioma)\n"
    "  --date      the working date (default: today)\n"
    "  --device    the output device of printed reports (default: PANTALLA)\n"
    "  --session   the session folder (default: ROOT/SESSIONS/<login name>/),\n"
    "              created when missing\n"
    "  --exe       the folder that holds PROGRAM and the programs it calls\n"
    "              (ROVODOVO, KSTART); default: the folder of vela-session\n"
    "  --operator  the operator name the program shows and records (default:\n"
    "              the login name in capitals)\n";

namespace {

bool ValidDate(const std::string& date) {
    if (date.size() != 8 || !std::all_of(date.begin(), date.end(), ::isdigit)) return false;
    const int year = std::stoi(date.substr(0, 4));
    const int month = std::stoi(date.substr(4, 2));
    const int day = std::stoi(date.substr(6, 2));
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

}  // namespace

std::string DefaultSessionFolder(const std::string& root, const std::string& loginName) {
    std::string name = loginName;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        name = "OPERADOR";
    }
    return WithSeparator(root) + "SESSIONS/" + name + "/";
}

std::string WithSeparator(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + "/";
}

std::optional<SessionOptions> ParseSessionArguments(const std::vector<std::string>& args,
                                                    std::string& error) {
    SessionOptions options;
    std::size_t i = 0;
    auto value = [&](const std::string& option, std::string& into) {
        if (i + 1 >= args.size()) {
            error = option + " needs a value";
            return false;
        }
        into = args[++i];
        return true;
    };
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--help") {
            options.help = true;
            return options;
        }
        bool ok = true;
        if (arg == "--lang") {
            ok = value(arg, options.language);
            std::transform(options.language.begin(), options.language.end(),
                           options.language.begin(), ::toupper);
            if (ok && options.language != "CAT" && options.language != "SPA" &&
                options.language != "GLG" && options.language != "OCI") {
                error = "unknown language " + options.language + " (CAT, SPA, GLG or OCI)";
                return std::nullopt;
            }
        } else if (arg == "--date") {
            ok = value(arg, options.date);
            if (ok && !ValidDate(options.date)) {
                error = "the working date must be a date written YYYYMMDD: " + options.date;
                return std::nullopt;
            }
        } else if (arg == "--device") {
            ok = value(arg, options.device);
        } else if (arg == "--session") {
            ok = value(arg, options.sessionDir) && !options.sessionDir.empty();
        } else if (arg == "--exe") {
            ok = value(arg, options.exeDir) && !options.exeDir.empty();
        } else if (arg == "--operator") {
            ok = value(arg, options.operatorName);
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (options.root.empty()) {
            options.root = arg;
        } else {
            error = "put -- before the program to run: " + arg;
            return std::nullopt;
        }
        if (!ok) {
            if (error.empty()) error = arg + " needs a value";
            return std::nullopt;
        }
    }
    if (options.root.empty()) {
        error = "name the installation root";
        return std::nullopt;
    }
    if (i >= args.size()) {
        error = "name the program to run after --";
        return std::nullopt;
    }
    options.program = args[i];
    options.arguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    return options;
}

std::vector<SessionSetting> SessionSettings(const SessionOptions& options,
                                            const std::string& sessionDir,
                                            const std::string& date) {
    const std::string operatorName =
        options.operatorName.empty() ? "OPERADOR" : options.operatorName;
    std::vector<SessionSetting> settings = {
        {"Sessio.ini", "Menu", "Titol", "VELA"},
        {"Sessio.ini", "Menu", "NomMenu", options.program},
        {"Sessio.ini", "Menu", "Menu", "VELA"},
        {"Sessio.ini", "Menu", "ChnMenu", "VELA"},
        {"Sessio.ini", "Menu", "Operador", operatorName},
        {"Sessio.ini", "Menu", "RukTipOper", "1"},
        {"Sessio.ini", "Terminal", "Dir", sessionDir},
        // Bright white on black, light grey on black, black on light grey for
        // the three marked styles: the family's default colours.
        {"VelaTerm.ini", "Pantalla", "Seleccio", "0"},
        {"VelaTerm.ini", "Pantalla", "Col0", "15000700000700070007"},
        {"VelaTerm.ini", "Sistema", "Data", date},
        {"VelaTerm.ini", "Sistema", "Sortida",
         options.device.empty() ? "PANTALLA" : options.device},
    };
    // Without --lang the key is left out, so that the installation's
    // Vela.ini [Usuari] Idioma decides; an empty value removes one left
    // from an earlier session in the same folder.
    settings.push_back({"VelaTerm.ini", "Sistema", "Idioma", options.language});
    return settings;
}

}  // namespace vela
