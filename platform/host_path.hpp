// Host paths: the program builds paths as the office's installation writes
// them (a root folder, sub-folders ending in "\", file names, maybe a drive
// prefix such as "C:"). Every file access maps them here first.
#pragma once

#include <string>
#include <string_view>

namespace vela {

// "\" becomes "/" and a leading drive prefix ("C:") is dropped.
std::string HostPath(std::string_view path);

// HostPath, then each component that does not exist as spelled is looked up
// in its folder without regard to letter case (data copied from a
// case-insensitive system). Components that exist in no spelling are kept as
// written, so the result also serves to create a new file or folder.
std::string ResolveHostPath(std::string_view path);

// True for "\", "/" and ":", the characters that end a folder text.
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace vela
