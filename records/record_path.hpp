// How a record file's logical path becomes the name the record manager
// opens: the folder part runs up to and including the last ":", "\" or "/";
// the base name is the rest up to its first "."; the extension is from that
// "." to the end, ".dat" when there is none. A dot inside a folder name is
// not an extension.
#pragma once

#include <string>

namespace vela {

struct RecordPath {
    std::string folder;     // with its trailing separator, or empty
    std::string base;       // the base name, also the dictionary entry's name
    std::string extension;  // with its leading "."

    std::string Physical() const { return folder + base + extension; }
};

RecordPath SplitRecordPath(const std::string& path);

}  // namespace vela
