// Record files on a network file system are refused at open and create,
// unless the installation accepts the risk. The file system type is
// injected in place of statfs.
#include "recman/network_files.hpp"

#include <gtest/gtest.h>

#include <string>

#include "recman/file_check.hpp"
#include "recman/record_manager.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::CreateBuffer;
using testing::CreateFile;
using testing::RecordFileClient;

long injectedType = 0;
std::string probedPath;

bool InjectedProbe(const char* hostPath, long& type) {
    probedPath = hostPath;
    type = injectedType;
    return true;
}

class NetworkFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder / "office.dat";
        ASSERT_EQ(CreateFile(path, CreateBuffer(4, {{{1, 4, 0}}})), 0);
        recman::SetFileSystemTypeProbe(InjectedProbe);
    }
    void TearDown() override {
        recman::SetFileSystemTypeProbe(nullptr);
        uint16_t length = 0;
        uint8_t block[128] = {};
        RecordManagerCall(kOpReset, block, nullptr, &length, nullptr, 0, 0);
    }

    testing::TempFolder folder;
    testing::ScopedEnvironment noSetting{recman::kNetworkFilesVariable, nullptr};
    std::string path;
};

TEST_F(NetworkFilesTest, FilesOnANetworkFileSystemAreRefused) {
    const struct {
        long type;
        const char* kind;
    } kinds[] = {
        {0x6969, "NFS"},
        {static_cast<long>(0xFF534D42), "SMB/CIFS"},
        {0xFE534D42, "SMB/CIFS"},
        {0x517B, "SMB/CIFS"},
        {0x65735546, "FUSE"},
        {-11317950, "SMB/CIFS"},  // 0xFF534D42 as a negative 32-bit f_type
    };
    for (const auto& kind : kinds) {
        injectedType = kind.type;
        EXPECT_EQ(recman::NetworkFileSystemOf(path), kind.kind) << kind.type;
        RecordFileClient file;
        EXPECT_EQ(file.Open(path), kStatusNetworkFileSystem) << kind.type;
        EXPECT_EQ(probedPath, path);
        EXPECT_EQ(recman::CheckRecordFile(path).status, kStatusNetworkFileSystem);
        // Nor is one made there: the folder's file system is asked.
        const std::string fresh = folder / "fresh.dat";
        EXPECT_EQ(CreateFile(fresh, CreateBuffer(4, {{{1, 4, 0}}})), kStatusNetworkFileSystem);
        EXPECT_EQ(probedPath, folder.path());
        EXPECT_FALSE(testing::FileExists(fresh));
    }
}

TEST_F(NetworkFilesTest, LocalFileSystemsAndAnAcceptedRiskOpen) {
    for (long local : {0xEF53L, 0x01021994L, 0x58465342L, 0x9123683EL, 0x794C7630L}) {
        injectedType = local;  // ext4, tmpfs, XFS, Btrfs, overlay
        EXPECT_EQ(recman::NetworkFileSystemOf(path), "");
        RecordFileClient file;
        EXPECT_EQ(file.Open(path), 0) << local;
    }
    uint16_t length = 0;
    uint8_t block[128] = {};
    RecordManagerCall(kOpReset, block, nullptr, &length, nullptr, 0, 0);

    injectedType = 0x6969;
    {
        // Only the exact setting accepts the risk.
        testing::ScopedEnvironment vague(recman::kNetworkFilesVariable, "yes");
        RecordFileClient file;
        EXPECT_EQ(file.Open(path), kStatusNetworkFileSystem);
    }
    testing::ScopedEnvironment accepted(recman::kNetworkFilesVariable, "accept-risk");
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.Insert("AAAA"), 0);
    EXPECT_EQ(CreateFile(folder / "fresh.dat", CreateBuffer(4, {{{1, 4, 0}}})), 0);
}

TEST_F(NetworkFilesTest, TheRealFileSystemOfATemporaryFolderIsLocal) {
    recman::SetFileSystemTypeProbe(nullptr);
    EXPECT_EQ(recman::NetworkFileSystemOf(path), "");
    EXPECT_EQ(recman::CheckLocalFileSystem(folder / "missing/none.dat"), 0);
}

}  // namespace
}  // namespace vela
