// The record file layer over real record files in a temporary installation.
#include "records/record_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "platform/headless_console.hpp"
#include "recman/file_layout.hpp"
#include "recman/network_files.hpp"
#include "recman/record_manager.hpp"
#include "records/lock_mode.hpp"
#include "records/owner_name.hpp"
#include "records/record_file_messages.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::RecordFileClient;

constexpr int kRecordLength = 16;

// A headless console that notes the screen each time the program waits for
// a key, so a test can see a message that is gone by the time it returns.
class WatchingConsole : public HeadlessConsole {
  public:
    bool NextEvent(ConsoleEvent& event, int timeoutMs) override {
        seen.push_back(Screen().RowText(10));
        return HeadlessConsole::NextEvent(event, timeoutMs);
    }
    std::vector<std::string> seen;
};

// An installation root with ddf\VTest.xdf (16-byte records; key 0 code
// (1, 4) unique; key 1 number (5, 2) binary with duplicates; key 2 name
// (7, 6) collating "UPPER" with duplicates) and a DADES folder.
class RecordFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.rootDir = root.path();
        Session.tmpDir = root.path();
        Session.language = "CAT";
        Session.colourPairs = {{{7, 0}, {15, 1}, {0, 7}, {14, 4}, {12, 2}}};
        InstallHeadless(25, 80);
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        mkdir((root / "ddf").c_str(), 0777);
        mkdir((root / "DADES").c_str(), 0777);
        const std::vector<uint8_t> buffer =
            testing::CreateBuffer(kRecordLength,
                                  {{{1, 4, 0}},
                                   {{5, 2, recman::kKeyBinary | recman::kKeyDuplicates}},
                                   {{7, 6, recman::kKeyCollating | recman::kKeyDuplicates}}},
                                  testing::UpperTable());
        std::string entry = {static_cast<char>(buffer.size()),
                             static_cast<char>(buffer.size() >> 8)};
        entry.append(buffer.begin(), buffer.end());
        testing::WriteFile(root / "ddf/VTest.xdf", entry);
        SetRecordFilePauseForTesting([this](int ms) { pauses.push_back(ms); });
        SetProgramEndForTesting([this] { ++ends; });
    }
    void TearDown() override {
        int16_t status = 0;
        ResetRecordFiles(status);
        lockModeStack.clear();
        SetRecordFilePauseForTesting(nullptr);
        SetProgramEndForTesting(nullptr);
        InstallConsole(nullptr);
    }

    // Opens DADES\VTest as file 5 and fills it through the record manager.
    void OpenFilled() {
        int16_t status = -1;
        OpenRecordFile(5, Session.rootDir + "DADES\\VTest", area, status);
        ASSERT_EQ(status, 0);
        RecordFileClient writer;
        ASSERT_EQ(writer.Open(root / "DADES/VTest.dat", 0, "4719"), 0);
        const std::vector<std::tuple<std::string, uint16_t, std::string>> rows = {
            {"0001", 300, "pujol "}, {"0002", 2, "Ferrer"}, {"0003", 256, "PUJOL "},
            {"0004", 1, "alba  "},   {"0005", 2, "Vidal "},
        };
        for (const auto& [code, number, name] : rows) {
            const std::string bytes = {static_cast<char>(number & 0xFF),
                                       static_cast<char>(number >> 8)};
            ASSERT_EQ(
                writer.Insert(testing::Record(kRecordLength, {{1, code}, {5, bytes}, {7, name}})),
                0);
        }
    }
    std::string Area() const { return std::string(area, kRecordLength); }
    std::string Code() const { return std::string(area, 4); }

    testing::TempFolder root;
    char area[kRecordLength + 1] = {};
    std::vector<int> pauses;
    int ends = 0;
};

TEST_F(RecordFileTest, OpensAndCreatesFromTheDictionary) {
    int16_t status = -1;
    // Missing data file: created from ddf\ by base name, not the caller's folder.
    mkdir((root / "DADES/sub.dir").c_str(), 0777);
    OpenRecordFile(1, Session.rootDir + "DADES\\sub.dir\\VTest", area, status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(testing::FileExists(root / "DADES/sub.dir/VTest.dat"));
    // A name with its own extension keeps it.
    OpenRecordFile(2, Session.rootDir + "DADES\\VTest.btr", area, status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(testing::FileExists(root / "DADES/VTest.btr"));
    EXPECT_FALSE(testing::FileExists(root / "DADES/VTest.dat"));
    int16_t keyLength = 0;
    int32_t recordLength = 0;
    KeyInfo(2, 2, keyLength, recordLength);
    EXPECT_EQ(keyLength, 6);
    EXPECT_EQ(recordLength, kRecordLength);
    KeyInfo(9, 0, keyLength, recordLength);
    EXPECT_EQ(keyLength, 0);
    EXPECT_EQ(recordLength, 0);
    EXPECT_EQ(CurrentKey(2), std::string(4, '\0'));  // key 0, all zero bytes after the open
    EXPECT_EQ(ends, 0);
}

TEST_F(RecordFileTest, FileNumbersAndSlots) {
    int16_t status = -1;
    OpenFilled();
    OpenRecordFile(5, Session.rootDir + "DADES\\Other", area, status);
    EXPECT_EQ(status, kRecordFileNumberInUse);
    OpenRecordFile(0, Session.rootDir + "DADES\\VTest", area, status);
    EXPECT_EQ(status, kRecordFileNumberInUse);
    // The first opening is intact.
    FindRecord(5, 0, "0002", 0, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Code(), "0002");
    for (int16_t fileNo = 100; fileNo < 139; ++fileNo) {
        OpenRecordFile(fileNo, Session.rootDir + "DADES\\VTest", area, status);
        ASSERT_EQ(status, 0) << fileNo;
    }
    OpenRecordFile(200, Session.rootDir + "DADES\\VTest", area, status);
    EXPECT_EQ(status, kRecordFileNoFreeSlot);
    OpenRecordFile(0, Session.rootDir + "DADES\\VTest", area, status);
    EXPECT_EQ(status, kRecordFileNoFreeSlot);
    ResetRecordFiles(status);
    EXPECT_EQ(status, 0);
    FindRecord(5, 0, "0002", 0, status);
    EXPECT_EQ(status, kRecordFileNotOpen);
    StepRecord(5, 1, status);
    EXPECT_EQ(status, kRecordFileNotOpen);
    EXPECT_EQ(RecordPosition(5, 0), 0);
    EXPECT_EQ(CurrentKey(5), "");
    EXPECT_EQ(ComparableKey("ab", 5), "ab");
}

TEST_F(RecordFileTest, FindAlongEachKey) {
    OpenFilled();
    int16_t status = -1;
    // An empty key value with direction 1: the first record in the key's order.
    FindRecord(5, 1, "", 1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0004");  // number 1
    FindRecord(5, 2, "PUJOL", 0, status);
    EXPECT_EQ(status, kStatusKeyNotFound);  // padded with a zero byte, not a blank
    FindRecord(5, 2, "PUJOL ", 0, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0001");  // "pujol " folds to "PUJOL ", first inserted
    EXPECT_EQ(CurrentKey(5), "PUJOL ");
    EXPECT_EQ(ComparableKey("alba", 5), "ALBA");
    FindRecord(5, 0, "0003", -1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0003");
    FindRecord(5, 0, "0000", -1, status);
    EXPECT_EQ(status, kStatusEndOfFile);
    EXPECT_EQ(Code(), "0003");  // the record area keeps what it held
    // Key number equal to the number of keys: 1004, current key unchanged.
    FindRecord(5, 3, "", 1, status);
    EXPECT_EQ(status, kRecordFileNoSuchKey);
    StepRecord(5, 1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0004");  // still along key 0 after 0003
    // Binary key: comparable form reverses the little-endian number.
    FindRecord(5, 1, std::string("\x00\x01", 2), 1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0003");  // 256
    EXPECT_EQ(CurrentKey(5), std::string("\x01\x00", 2));
}

TEST_F(RecordFileTest, StepsAndPositions) {
    OpenFilled();
    int16_t status = -1;
    FindRecord(5, 0, "", 1, status);
    ASSERT_EQ(status, 0);
    std::memset(area, 'x', kRecordLength);
    StepRecord(5, 0, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Area(), std::string(kRecordLength, 'x'));  // count 0 reads nothing
    StepRecord(5, 3, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0004");
    EXPECT_EQ(Area().substr(4), std::string("\x01\x00"
                                            "alba      ",
                                            12));
    EXPECT_EQ(CurrentKey(5), "0004");
    StepRecord(5, -2, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0002");
    StepRecord(5, 9, status);
    EXPECT_EQ(status, kStatusEndOfFile);
    EXPECT_EQ(Code(), "0002");  // a failed walk leaves the area alone
    // The steps before the failing one moved the position on to 0005.
    const int32_t position = RecordPosition(5, 0);
    EXPECT_EQ(position, 5);
    FindRecord(5, 2, "", 1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0004");
    EXPECT_EQ(RecordPosition(5, position), 0);
    EXPECT_EQ(Code(), "0005");
    EXPECT_EQ(CurrentKey(5), "VIDAL ");  // Get Direct along the current key 2
    StepRecord(5, -1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Code(), "0003");  // the later of the two "PUJOL "
    EXPECT_EQ(RecordPosition(5, 99), kStatusInvalidRecordAddress);
    EXPECT_EQ(Code(), "0003");
}

TEST_F(RecordFileTest, LockModeAWaitsWithItsMessageShownOnce) {
    OpenFilled();
    RecordFileClient holder;
    ASSERT_EQ(holder.Open(root / "DADES/VTest.dat", 0, "4719"), 0);
    ASSERT_EQ(holder.Get(kOpGetEqual + kLockNoWaitBias, 0, "0002"), 0);
    const std::vector<Cell> before = [] {
        std::vector<Cell> cells;
        for (int column = 1; column <= 80; ++column) cells.push_back(Screen().At(22, column));
        return cells;
    }();
    std::vector<int> depths;
    std::vector<std::string> rows;
    SetRecordFilePauseForTesting([&](int ms) {
        pauses.push_back(ms);
        depths.push_back(windowDepth);
        rows.push_back(Screen().RowText(22));
        if (pauses.size() == 4) {
            uint16_t length = 0;
            RecordManagerCall(kOpUnlock, holder.block.data(), nullptr, &length, nullptr, 0, 0);
        }
    });
    int16_t status = 77;
    SetLockMode(5, "a", status);
    EXPECT_EQ(status, 77);  // left as the caller set it
    FindRecord(5, 0, "0002", 0, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Code(), "0002");
    ASSERT_EQ(pauses.size(), 4u);
    for (int ms : pauses) {
        EXPECT_GE(ms, 1);
        EXPECT_LE(ms, 10001);
    }
    // The message appears after the first pause and stays, one window.
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 1, 1}));
    EXPECT_NE(rows[1].find(Cp850("FITXER BLOQUEJAT. ESPEREU UN MOMENT.")), std::string::npos);
    EXPECT_EQ(windowDepth, 0);
    for (int column = 1; column <= 80; ++column)
        EXPECT_EQ(Screen().At(22, column), before[column - 1]);
    // The read took the lock: another opening now gets 84.
    RecordFileClient other;
    ASSERT_EQ(other.Open(root / "DADES/VTest.dat", 0, "4719"), 0);
    EXPECT_EQ(other.Get(kOpGetEqual + kLockNoWaitBias, 0, "0002"), kStatusRecordInUse);
}

TEST_F(RecordFileTest, LockModeBReportsAndPlusDMinusRestores) {
    OpenFilled();
    RecordFileClient holder;
    ASSERT_EQ(holder.Open(root / "DADES/VTest.dat", 0, "4719"), 0);
    ASSERT_EQ(holder.Get(kOpGetEqual + kLockNoWaitBias, 0, "0003"), 0);
    int16_t status = 0;
    SetLockMode(5, "B", status);
    FindRecord(5, 0, "0001", 0, status);
    ASSERT_EQ(status, 0);
    StepRecord(5, 2, status);  // the last step locks and meets the holder
    EXPECT_EQ(status, kStatusRecordInUse);
    EXPECT_EQ(Code(), "0001");
    SetLockMode(5, "+d", status);
    FindRecord(5, 0, "0003", 0, status);
    EXPECT_EQ(status, 0);
    SetLockMode(5, "-", status);
    FindRecord(5, 0, "0003", 0, status);
    EXPECT_EQ(status, kStatusRecordInUse);
    // Steps before the last take no lock: 0003 is passed over.
    FindRecord(5, 0, "0002", 0, status);
    EXPECT_EQ(status, 0);
    StepRecord(5, 2, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Code(), "0004");
    EXPECT_TRUE(pauses.empty());
    SetLockMode(77, "a", status);
    EXPECT_EQ(status, kRecordFileNotOpen);
}

TEST_F(RecordFileTest, OpenWaitsWhileTheFileIsHeldExclusively) {
    OpenFilled();
    RecordFileClient holder;
    int16_t status = 0;
    ResetRecordFiles(status);
    ASSERT_EQ(holder.Open(root / "DADES/VTest.dat", kOpenExclusive, "4719"), 0);
    SetRecordFilePauseForTesting([&](int ms) {
        pauses.push_back(ms);
        if (pauses.size() == 2) holder.Close();
    });
    OpenRecordFile(7, Session.rootDir + "DADES\\VTest", area, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(pauses, (std::vector<int>{3000, 3000}));
    EXPECT_EQ(windowDepth, 0);  // no message while waiting
    FindRecord(7, 0, "0005", 0, status);
    EXPECT_EQ(status, 0);
}

TEST_F(RecordFileTest, AFailedOpenShowsItsMessageAndEndsTheProgram) {
    struct Case {
        const char* language;
        const char* name;
        const char* contents;  // nullptr: no data file
        const char* message;
        int16_t status;
    };
    // Without a dictionary entry the Create buffer is all zeros: page size 0.
    const Case cases[] = {
        {"CAT", "Damaged", "not a record file", "NO ES POT ACCEDIR AL FITXER ",
         kStatusNotRecordFile},
        {"SPA", "NoEntry", nullptr, "NO SE PUEDE ACCEDER AL FICHERO ", kStatusPageSize},
        {"GLG", "Damaged", "x", "NOM SE PODE ACEDER AO FICHEIRO ", kStatusNotRecordFile},
        {"OCI", "Damaged", "x", "NON SE PÒT ACCEDIR ATH FICHÈR ", kStatusNotRecordFile},
        {"   ", "Damaged", "x", "NO ES POT ACCEDIR AL FITXER ", kStatusNotRecordFile},
    };
    testing::WriteFile(root / "ddf/Good.xdf", testing::ReadFile(root / "ddf/VTest.xdf"));
    for (const Case& c : cases) {
        auto console = std::make_unique<WatchingConsole>();
        WatchingConsole& watching = *console;
        InstallConsole(std::move(console));
        Session.language = c.language;
        unlink((root / "DADES/Damaged.dat").c_str());
        if (c.contents != nullptr) testing::WriteFile(root / "DADES/Damaged.dat", c.contents);
        ends = 0;
        int16_t status = -1;
        OpenRecordFile(3, Session.rootDir + "DADES\\Good", area, status);
        ASSERT_EQ(status, 0);
        const std::string path = Session.rootDir + "DADES\\" + c.name;
        OpenRecordFile(4, path, area, status);
        EXPECT_EQ(status, c.status) << c.language;
        EXPECT_EQ(ends, 1) << c.language;
        ASSERT_FALSE(watching.seen.empty()) << c.language;
        // A one-line message centred on row 12 has its text on row 10.
        const std::string expected =
            Cp850(c.message) + path + " (" + std::to_string(c.status) + ")";
        EXPECT_NE(watching.seen.back().find(expected), std::string::npos)
            << c.language << ": " << watching.seen.back();
        EXPECT_EQ(watching.Beeps(), 1);
        EXPECT_EQ(watching.Flushes(), 1);
        EXPECT_EQ(windowDepth, 0);
        FindRecord(3, 0, "", 1, status);
        EXPECT_EQ(status, kRecordFileNotOpen);  // every slot freed by the reset
    }
}

// A record file on a network drive (the file system type is injected in
// place of statfs): the open, or the create of a missing file, is refused,
// and the message says why.
TEST_F(RecordFileTest, AFileOnANetworkDriveIsRefusedWithItsReason) {
    int16_t status = -1;
    OpenRecordFile(9, Session.rootDir + "DADES\\VTest", area, status);  // made locally
    ASSERT_EQ(status, 0);
    ResetRecordFiles(status);
    testing::WriteFile(root / "ddf/Fresh.xdf", testing::ReadFile(root / "ddf/VTest.xdf"));
    // The injected type and the current folder are put back however the
    // test ends.
    struct Restore {
        ~Restore() {
            recman::SetFileSystemTypeProbe(nullptr);
            if (folder != nullptr) (void)!chdir(folder);
            free(folder);
        }
        char* folder = getcwd(nullptr, 0);
    } restore;
    recman::SetFileSystemTypeProbe([](const char*, long& type) {
        type = 0x6969;  // NFS
        return true;
    });
    testing::ScopedEnvironment noSetting(recman::kNetworkFilesVariable, nullptr);
    // Paths from the root, as the program opens them once in it, keep the
    // message on one line.
    ASSERT_EQ(chdir(root.path().c_str()), 0);
    const struct {
        const char* language;
        const char* name;
        const char* reason;
    } cases[] = {
        {"CAT", "VTest", " - UNITAT DE XARXA"},
        {"SPA", "Fresh", " - UNIDAD DE RED"},  // only its dictionary entry
    };
    for (const auto& c : cases) {
        auto console = std::make_unique<WatchingConsole>();
        WatchingConsole& watching = *console;
        InstallConsole(std::move(console));
        Session.language = c.language;
        ends = 0;
        const std::string path = std::string("DADES\\") + c.name;
        OpenRecordFile(4, path, area, status);
        EXPECT_EQ(status, kStatusNetworkFileSystem) << c.language;
        EXPECT_EQ(ends, 1);
        ASSERT_FALSE(watching.seen.empty());
        const std::string expected = OpenFailureText(c.language) + path + " (94)" + c.reason;
        EXPECT_NE(watching.seen.back().find(expected), std::string::npos) << watching.seen.back();
    }
    EXPECT_FALSE(testing::FileExists(root / "DADES/Fresh.dat"));
}

// A file copied from another installation whose records are longer than the
// layer's 1,536-byte data buffer: every read comes back cut to the buffer,
// and not one byte lands beyond it in the caller's area.
TEST_F(RecordFileTest, RecordsLongerThanTheDataBufferAreCutToIt) {
    constexpr std::size_t kLong = 4096;
    const std::vector<uint8_t> buffer = testing::CreateBuffer(kLong, {{{1, 4, 0}}});
    ASSERT_EQ(testing::CreateFile(root / "DADES/VLong.dat", buffer), 0);
    {
        RecordFileClient writer;
        ASSERT_EQ(writer.Open(root / "DADES/VLong.dat", 0, "4719"), 0);
        for (const char* code : {"0001", "0002"}) {
            std::string record = testing::Record(kLong, {{1, code}});
            for (std::size_t i = 4; i < kLong; ++i) record[i] = static_cast<char>('a' + i % 26);
            ASSERT_EQ(writer.Insert(record), 0);
        }
    }
    // The area the program gives: the data buffer's size, then a guard.
    std::vector<char> wide(1536 + 256, '#');
    int16_t status = -1;
    OpenRecordFile(8, Session.rootDir + "DADES\\VLong", wide.data(), status);
    ASSERT_EQ(status, 0);
    const auto guardIntact = [&] {
        return std::all_of(wide.begin() + 1536, wide.end(), [](char c) { return c == '#'; });
    };
    FindRecord(8, 0, "0001", 0, status);
    EXPECT_EQ(status, 0);  // the record manager's 22 (short buffer) reads as found
    EXPECT_EQ(std::string(wide.data(), 4), "0001");
    EXPECT_EQ(wide[1535], static_cast<char>('a' + 1535 % 26));
    EXPECT_TRUE(guardIntact());
    StepRecord(8, 1, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::string(wide.data(), 4), "0002");
    EXPECT_TRUE(guardIntact());
    const int32_t position = RecordPosition(8, 0);
    FindRecord(8, 0, "0001", 0, status);
    EXPECT_EQ(RecordPosition(8, position), 0);
    EXPECT_EQ(std::string(wide.data(), 4), "0002");
    EXPECT_TRUE(guardIntact());
    StepRecord(8, 1, status);
    EXPECT_EQ(status, kStatusEndOfFile);
}

// A batch run has no one to press a key: the failure goes to the installed
// report, with the file's host path and the status, and the program ends
// with the report's exit code, without a window.
TEST_F(RecordFileTest, AnInstalledReportReplacesTheMessageWindow) {
    struct Reported {
        std::string path;
        int16_t status;
        std::string detail;
    };
    std::vector<Reported> reported;
    SetOpenFailureReport([&](const std::string& path, int16_t status, const std::string& detail) {
        reported.push_back({path, status, detail});
        return 4;
    });
    auto console = std::make_unique<WatchingConsole>();
    WatchingConsole& watching = *console;
    InstallConsole(std::move(console));
    int16_t status = -1;
    testing::WriteFile(root / "DADES/Damaged.dat", "not a record file");
    OpenRecordFile(4, Session.rootDir + "DADES\\Damaged", area, status);
    OpenRecordFile(5, Session.rootDir + "DADES\\NoEntry", area, status);
    SetOpenFailureReport(nullptr);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0].path, root / "DADES/Damaged.dat");
    EXPECT_EQ(reported[0].status, kStatusNotRecordFile);
    EXPECT_EQ(reported[0].detail, "");
    EXPECT_EQ(reported[1].path, root / "DADES/NoEntry.dat");
    EXPECT_NE(reported[1].detail.find(root / "ddf/NoEntry.xdf"), std::string::npos);
    EXPECT_NE(reported[1].detail.find("missing or unreadable"), std::string::npos);
    EXPECT_EQ(ends, 2);
    EXPECT_TRUE(watching.seen.empty());  // no key was waited for
    EXPECT_EQ(watching.Beeps(), 0);
    EXPECT_EQ(windowDepth, 0);
}

}  // namespace
}  // namespace vela
