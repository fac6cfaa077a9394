#include "ui/path_utils.hpp"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "datenum/text_utils.hpp"
#include "platform/host_path.hpp"

namespace vela {
namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// The current folder as the installation's paths write it, without drive:
// /home/ana/vela is "home\ana\vela"; the root is "". False when it cannot be
// read.
bool CurrentFolderWithoutDrive(std::string& folder) {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return false;
    folder = buffer;
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    while (!folder.empty() && folder.front() == '\\') folder.erase(0, 1);
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return true;
}

}  // namespace

int FileErrorFromErrno(int error, bool forFolder) {
    switch (error) {
        case 0:
            return 0;
        case ENOENT:
            return forFolder ? kPathNotFound : kFileNotFound;
        case ENOTDIR:
            return kPathNotFound;
        case ENOSPC:
        case EDQUOT:
            return kDiskFull;
        default:
            return kPathFileAccessError;
    }
}

std::string FullPath(const std::string& path) {
    std::string p = TrimBlanks(path);
    for (char& c : p) {
        if (c == '/') c = '\\';
    }
    std::string drive;
    if (p.size() >= 2 && p[1] == ':') {
        drive = p.substr(0, 1);
        p.erase(0, 2);
    }
    if (p.empty() || p[0] != '\\') {
        std::string current;
        if (CurrentFolderWithoutDrive(current)) {
            std::string absolute;
            if (!current.empty()) absolute = "\\" + current;
            absolute += '\\';
            absolute += p;
            p = std::move(absolute);
        } else {
            p.clear();
        }
    }
    if (p.empty() || p.back() != '\\') p += '\\';

    for (auto up = p.find("..\\"); up != std::string::npos; up = p.find("..\\")) {
        const std::size_t end = up + 2;  // the "\" that ends "..\"
        std::size_t start = std::string::npos;
        if (up >= 2) start = p.rfind('\\', up - 2);
        if (start == std::string::npos) {
            p.erase(up, 3);  // above the root: stays at the root
        } else {
            p.erase(start, end - start);
        }
    }
    for (auto dot = p.find(".\\"); dot != std::string::npos; dot = p.find(".\\")) p.erase(dot, 2);

    return drive.empty() ? p : drive + ":" + p;
}

int MakePath(const std::string& path) {
    const std::string extended = path + "\\";
    const std::size_t end = path.find_last_not_of(' ') + 1;  // npos + 1 == 0 for blanks
    const auto colon = path.find(':');
    std::size_t pos = colon == std::string::npos ? 0 : colon + 1;
    int result = 0;
    while (pos < end) {
        std::size_t slash = pos;
        while (slash < extended.size() && !IsSlash(extended[slash])) ++slash;
        const std::string folder = ResolveHostPath(path.substr(0, slash));
        int error = 0;
        if (::mkdir(folder.c_str(), 0777) != 0) error = FileErrorFromErrno(errno, true);
        result = error == kPathNotFound ? 0 : error;
        pos = slash + 1;
    }
    return result;
}

int RemovePath(const std::string& path) {
    const std::string host = ResolveHostPath(path);
    if (::unlink(host.c_str()) == 0) return 0;

    // Not a file: delete the files of the folder, then the folder.
    int error = 0;
    DIR* dir = ::opendir(host.c_str());
    if (dir == nullptr) {
        error = FileErrorFromErrno(errno, true);
    } else {
        std::vector<std::string> files;
        while (const dirent* entry = ::readdir(dir)) {
            struct stat info;
            const std::string name = host + "/" + entry->d_name;
            if (::lstat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) files.push_back(name);
        }
        ::closedir(dir);
        if (files.empty()) error = kFileNotFound;
        for (const std::string& file : files) {
            if (::unlink(file.c_str()) != 0) error = FileErrorFromErrno(errno, false);
        }
    }
    if (error != 0 && error != kFileNotFound) return error;
    return ::rmdir(host.c_str()) == 0 ? 0 : FileErrorFromErrno(errno, true);
}

}  // namespace vela
