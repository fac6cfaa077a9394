// Record files on network file systems. The storage engine maps a file into
// memory and coordinates the processes that share it through a lock table
// in shared memory and through byte-range locks; none of that reaches a
// process on another machine, and a network file system does not keep the
// mapped pages of two machines in step. Two clerks on two machines sharing
// a file on NFS, SMB/CIFS or a FUSE file system such as sshfs would corrupt
// it. So such files are refused, with status 94, unless the installation
// accepts the risk: the environment variable VELA_NETWORK_FILES set to
// "accept-risk".
#pragma once

#include <cstdint>
#include <string>

namespace vela::recman {

inline constexpr const char* kNetworkFilesVariable = "VELA_NETWORK_FILES";
inline constexpr const char* kNetworkFilesAccepted = "accept-risk";

// The kind of network file system that holds hostPath ("NFS", "SMB/CIFS",
// "FUSE", ...), or empty when it is a local one or its kind cannot be told.
std::string NetworkFileSystemOf(const std::string& hostPath);

// 0, or 94 when hostPath is on a network file system that the installation
// has not accepted.
int16_t CheckLocalFileSystem(const std::string& hostPath);

// Tells the file system type (statfs f_type) of a path; false when it cannot.
using FileSystemTypeProbe = bool (*)(const char* hostPath, long& type);
// Replaces the statfs call, for tests; nullptr puts it back.
void SetFileSystemTypeProbe(FileSystemTypeProbe probe);

}  // namespace vela::recman
