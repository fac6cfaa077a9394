#include "tools/help_launcher/launch_plan.hpp"

#include <sys/stat.h>
#include <unistd.h>

namespace vela {

LaunchPlan PlanLaunch(const std::string& page, bool pageExists, const std::string& opener) {
    if (!pageExists) return {{}, "KSTART: the help page " + page + " does not exist.\n"};
    if (opener.empty()) {
        return {{},
                "KSTART: no program to open web pages is installed (xdg-open).\n"
                "The help page is " +
                    page + "\nOpen it in a web browser.\n"};
    }
    return {{opener, page}, ""};
}

std::string OpenerFailedMessage(const std::string& page) {
    return "KSTART: the help page could not be opened.\nThe help page is " + page +
           "\nOpen it in a web browser.\n";
}

std::string FindInPath(const std::string& name, const std::string& pathList) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = pathList.find(':', start);
        const std::string folder =
            pathList.substr(start, end == std::string::npos ? end : end - start);
        // An empty entry of the search path is the current folder.
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat info;
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (end == std::string::npos) return {};
        start = end + 1;
    }
}

}  // namespace vela
