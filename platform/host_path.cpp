#include "platform/host_path.hpp"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace vela {
namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name without regard to case, if any.
std::string FindCaseInsensitive(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::string HostPath(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        path.remove_prefix(2);
    }
    std::string host(path);
    for (char& c : host) {
        if (c == '\\') c = '/';
    }
    return host;
}

std::string ResolveHostPath(std::string_view path) {
    const std::string host = HostPath(path);
    if (host.empty() || Exists(host)) return host;

    std::string resolved;
    std::size_t pos = 0;
    if (host[0] == '/') {
        resolved = "/";
        pos = 1;
    }
    bool searching = true;  // stops once a component exists in no spelling
    while (pos <= host.size()) {
        std::size_t end = host.find('/', pos);
        if (end == std::string::npos) end = host.size();
        const std::string name = host.substr(pos, end - pos);
        const bool last = end == host.size();
        if (!name.empty()) {
            std::string candidate = resolved + name;
            if (searching && !Exists(candidate) && name != "." && name != "..") {
                const std::string match =
                    FindCaseInsensitive(resolved.empty() ? "" : resolved, name);
                if (!match.empty()) {
                    candidate = resolved + match;
                } else {
                    searching = false;
                }
            }
            resolved = candidate;
        }
        if (!last) resolved += '/';
        pos = end + 1;
    }
    return resolved;
}

}  // namespace vela
