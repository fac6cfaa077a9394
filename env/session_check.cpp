#include "env/session_check.hpp"

#include <vector>

#include "env/ini_file.hpp"
#include "platform/environment.hpp"

namespace vela {

std::string MissingSession(const std::string& program) {
    if (!GetEnvironment("RUKTMP").empty() || !IniRead("Sessio.ini", "Terminal", "Dir").empty()) {
        return {};
    }
    std::vector<std::string> missing;
    for (const char* variable : {"RUKROOT", "RUKEXE", "RUKTMP"}) {
        if (GetEnvironment(variable).empty()) missing.push_back(variable);
    }
    std::string names;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0) names += i + 1 == missing.size() ? " and " : ", ";
        names += missing[i];
    }
    return "started without a session: " + names + (missing.size() == 1 ? " is" : " are") +
           " not set. Start " + program +
           " from the office's menu, or through the session launcher: vela-session ROOT -- " +
           program;
}

}  // namespace vela
