// Folder operations for the return-file writer: a typed folder made a full
// canonical path, every folder along a path created, an old output file or
// folder removed. Paths are written as the office's installation writes them
// ("C:\VELA\AEAT\", with "/" accepted too); failures come back as the
// run-time's file error numbers (53 file not found, 75 access error, 76 path
// not found), never as a stop.
#pragma once

#include <string>

namespace vela {

enum FileError : int {
    kFileNotFound = 53,
    kDiskFull = 61,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
};

// The canonical absolute path, always ending in "\". A path with a drive
// letter keeps it; a path without one resolves against the current folder
// and carries no drive (the current folder /home/ana is seen as \home\ana).
std::string FullPath(const std::string& path);

// Creates every folder along path; 0, or the error number of the last
// creation when it failed (an existing folder gives 75).
int MakePath(const std::string& path);

// Deletes the file path, or else the files of the folder path and the folder;
// 0, or the error number of the last step attempted.
int RemovePath(const std::string& path);

// The file error number for an errno of a file (forFolder false) or folder
// operation.
int FileErrorFromErrno(int error, bool forFolder);

}  // namespace vela
