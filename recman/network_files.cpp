#include "recman/network_files.hpp"

#include <sys/vfs.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "recman/record_manager.hpp"

namespace vela::recman {

namespace {

// File system magic numbers (linux/magic.h and the file systems' own
// headers) of the kinds whose files live on another machine or behind a
// user-space server, where the engine's locks and mapped pages are not
// shared with the other users of the file.
constexpr std::array<std::pair<unsigned long, const char*>, 17> kNetworkKinds = {{
    {0x6969, "NFS"},
    {0x517B, "SMB/CIFS"},
    {0xFF534D42, "SMB/CIFS"},
    {0xFE534D42, "SMB/CIFS"},
    {0x65735546, "FUSE"},  // sshfs, rclone, virtiofs and the like
    {0x564C, "NCP"},
    {0x73757245, "Coda"},
    {0x5346414F, "AFS"},
    {0x6B414653, "AFS"},
    {0x01021997, "9P"},
    {0x00C36400, "Ceph"},
    {0x0BD00BD0, "Lustre"},
    {0x47504653, "GPFS"},
    {0x7461636F, "OCFS2"},
    {0x01161970, "GFS2"},
    {0x786F4256, "VirtualBox shared folder"},
    {0x20030528, "OrangeFS"},
}};

bool StatfsType(const char* hostPath, long& type) {
    struct statfs info;
    if (::statfs(hostPath, &info) != 0) return false;
    type = static_cast<long>(info.f_type);
    return true;
}

FileSystemTypeProbe probe = StatfsType;

}  // namespace

void SetFileSystemTypeProbe(FileSystemTypeProbe replacement) {
    probe = replacement != nullptr ? replacement : StatfsType;
}

std::string NetworkFileSystemOf(const std::string& hostPath) {
    long type = 0;
    if (!probe(hostPath.c_str(), type)) return {};
    // f_type is a signed long on some targets; the magic numbers are 32-bit.
    const unsigned long magic = static_cast<unsigned long>(type) & 0xFFFFFFFFUL;
    for (const auto& [number, name] : kNetworkKinds) {
        if (number == magic) return name;
    }
    return {};
}

int16_t CheckLocalFileSystem(const std::string& hostPath) {
    if (NetworkFileSystemOf(hostPath).empty()) return kStatusOk;
    const char* accepted = std::getenv(kNetworkFilesVariable);
    if (accepted != nullptr && std::strcmp(accepted, kNetworkFilesAccepted) == 0) return kStatusOk;
    return kStatusNetworkFileSystem;
}

}  // namespace vela::recman
