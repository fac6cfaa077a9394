#include "records/record_file.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "env/session.hpp"
#include "platform/console.hpp"
#include "platform/host_path.hpp"
#include "recman/record_manager.hpp"
#include "records/key_layout.hpp"
#include "records/lock_mode.hpp"
#include "records/owner_name.hpp"
#include "records/record_file_messages.hpp"
#include "records/record_path.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {

namespace {

constexpr std::size_t kDataBufferSize = 1536;
constexpr std::size_t kKeyBufferSize = 255;
constexpr int kOpenRetryMs = 3000;
constexpr int16_t kFailureRow = 12;
constexpr int16_t kLockMessageRow = 24;

struct Slot {
    int16_t fileNo = 0;  // 0: free
    std::array<uint8_t, kPositionBlockSize> positionBlock{};
    void* recordAddress = nullptr;
    int32_t recordLength = 0;
    int16_t keyNumber = 0;
    std::string keyBuffer;
    int16_t lockMode = kLockModeNone;
};

// Slots 1 to 40; index 0 unused.
std::array<Slot, kRecordFileSlots + 1>& Slots() {
    static std::array<Slot, kRecordFileSlots + 1> slots;
    return slots;
}

std::function<void(int)>& PauseSeam() {
    static std::function<void(int)> pause;
    return pause;
}

std::function<void()>& EndSeam() {
    static std::function<void()> end;
    return end;
}

OpenFailureReport& ReportSeam() {
    static OpenFailureReport report;
    return report;
}

void Pause(int milliseconds) {
    if (PauseSeam()) {
        PauseSeam()(milliseconds);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

// 1 to 10,001 ms: round(10,000 x r + 1), r uniform in [0, 1).
int LockRetryMs() {
    static std::mt19937 random{std::random_device{}()};
    const double r = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    return static_cast<int>(std::lround(10000.0 * r + 1.0));
}

// The slot holding fileNo (a free slot for file number 0), or 0.
int SlotOf(int16_t fileNo) {
    for (int slot = 1; slot <= kRecordFileSlots; ++slot) {
        if (Slots()[slot].fileNo == fileNo) return slot;
    }
    return 0;
}

int OpenSlotOf(int16_t fileNo) { return fileNo == 0 ? 0 : SlotOf(fileNo); }

// Operations that take the lock bias in lock modes "A" and "B".
bool TakesLockBias(uint16_t operation) {
    return (operation >= 5 && operation <= 13) || operation == 19 ||
           (operation >= 22 && operation <= 24) || (operation >= 33 && operation <= 35);
}

std::string StatOf(Slot& slot) {
    static std::array<uint8_t, kDataBufferSize> data;
    static std::array<uint8_t, kKeyBufferSize> key;
    uint16_t length = kDataBufferSize;
    const int16_t status = RecordManagerCall(kOpStat, slot.positionBlock.data(), data.data(),
                                             &length, key.data(), kKeyBufferSize, 0);
    if (status != 0 && status != kStatusDataBufferLength) return {};
    return std::string(reinterpret_cast<const char*>(data.data()), length);
}

// One read with lock handling: the lock bias in modes "A" and "B", and in
// mode "A" the wait while another user holds the record or the file, with
// its message shown once.
int16_t ReadRecord(int slotNumber, uint16_t operation) {
    Slot& slot = Slots()[slotNumber];
    if (slot.lockMode != kLockModeNone && TakesLockBias(operation)) operation += kLockNoWaitBias;
    bool messageShown = false;
    int16_t status;
    // The buffers are kept between calls: reads are the program's whole
    // workload and an allocation per read would cost as much as the read.
    static std::array<uint8_t, kDataBufferSize> data;
    static std::array<uint8_t, kKeyBufferSize> key;
    for (;;) {
        // A file whose records are longer than the data buffer (copied from
        // another installation) is read cut to the buffer: the record
        // manager fills what there is room for and says so with status 22,
        // and the caller's area never receives more than the buffer holds.
        const std::size_t recordLength =
            std::min(static_cast<std::size_t>(std::max(slot.recordLength, 0)), kDataBufferSize);
        std::memset(data.data(), ' ', data.size());
        if (slot.recordAddress != nullptr && recordLength > 0) {
            std::memcpy(data.data(), slot.recordAddress, recordLength);
        }
        uint16_t dataLength = static_cast<uint16_t>(recordLength);
        const std::size_t keyLength = std::min(slot.keyBuffer.size(), kKeyBufferSize);
        std::memcpy(key.data(), slot.keyBuffer.data(), keyLength);
        status = RecordManagerCall(operation, slot.positionBlock.data(), data.data(), &dataLength,
                                   key.data(), static_cast<uint8_t>(keyLength),
                                   static_cast<int8_t>(slot.keyNumber));
        const std::size_t copied = std::min<std::size_t>(recordLength, dataLength);
        if (slot.recordAddress != nullptr && copied > 0) {
            std::memcpy(slot.recordAddress, data.data(), copied);
        }
        slot.keyBuffer.assign(reinterpret_cast<const char*>(key.data()), keyLength);
        const bool locked = status == kStatusRecordInUse || status == kStatusFileInUse;
        if (!locked || slot.lockMode != kLockModeWait) break;
        Pause(LockRetryMs());
        if (!messageShown) {
            MessageWindow(kLockMessageRow, LockWaitText(Session.language));
            PresentScreen();
            messageShown = true;
        }
    }
    if (messageShown) {
        CloseWindow();
        PresentScreen();
    }
    return status;
}

// The end of the program after a fatal open failure: output flushed, every
// record file closed, then the installed end (tests) or the exit.
void EndAfterFailedOpen(int exitCode) {
    std::fflush(nullptr);
    int16_t resetStatus = 0;
    ResetRecordFiles(resetStatus);
    if (EndSeam()) {
        EndSeam()();
    } else {
        std::exit(exitCode);
    }
}

// The fatal open failure: the message, a beep, a key, and the end of the
// program; or, where a report is installed (a batch run), the report and
// the end with its exit code.
void FailOpen(const std::string& path, const std::string& physical, int16_t status,
              const std::string& detail) {
    if (ReportSeam()) {
        EndAfterFailedOpen(ReportSeam()(HostPath(physical), status, detail));
        return;
    }
    std::string text =
        OpenFailureText(Session.language) + path + " (" + std::to_string(status) + ")";
    if (status == kStatusNetworkFileSystem) text += NetworkDriveText(Session.language);
    MessageWindow(kFailureRow, text);
    PresentScreen();
    Beep();
    FlushKeys();
    int16_t key = 0;
    WaitKey(key);
    CloseWindow();
    PresentScreen();
    EndAfterFailedOpen(0);
}

// The dictionary entry of base: a 2-byte length n, then n bytes of the
// Create buffer, of which the first 1,536 are used. Empty when missing;
// found says whether there was an entry to read.
std::vector<uint8_t> DictionaryEntry(const std::string& base, bool& found) {
    std::vector<uint8_t> buffer(kDataBufferSize, 0);
    std::ifstream in(ResolveHostPath(Session.rootDir + "ddf\\" + base + ".xdf"), std::ios::binary);
    unsigned char header[2];
    found = false;
    if (!in.read(reinterpret_cast<char*>(header), 2)) return buffer;
    const int16_t n = static_cast<int16_t>(header[0] | (header[1] << 8));
    if (n <= 0) return buffer;
    found = true;
    in.read(reinterpret_cast<char*>(buffer.data()),
            std::min<std::streamsize>(n, static_cast<std::streamsize>(kDataBufferSize)));
    return buffer;
}

int16_t OpenAttempt(Slot& slot, std::vector<uint8_t>& name) {
    std::string owner = RecordOwnerName();
    uint16_t ownerLength = static_cast<uint16_t>(owner.size());
    return RecordManagerCall(kOpOpen, slot.positionBlock.data(), owner.data(), &ownerLength,
                             name.data(), kKeyBufferSize, kOpenNormal);
}

}  // namespace

void OpenRecordFile(int16_t fileNo, const std::string& path, void* recordArea, int16_t& status) {
    if (SlotOf(fileNo) != 0 && (fileNo != 0 || SlotOf(0) != 0)) {
        status = kRecordFileNumberInUse;
        return;
    }
    const int slotNumber = SlotOf(0);
    if (slotNumber == 0) {
        status = kRecordFileNoFreeSlot;
        return;
    }
    Slot& slot = Slots()[slotNumber];
    slot = Slot{};
    slot.fileNo = fileNo;
    slot.recordAddress = recordArea;

    const RecordPath parts = SplitRecordPath(path);
    std::vector<uint8_t> name(kKeyBufferSize, 0);
    const std::string physical = parts.Physical();
    std::memcpy(name.data(), physical.data(), std::min(physical.size(), kKeyBufferSize - 1));

    std::string detail;
    for (;;) {
        status = OpenAttempt(slot, name);
        if (status == kStatusFileInUse) {
            Pause(kOpenRetryMs);
            continue;
        }
        if (status != kStatusFileNotFound) break;
        bool found = false;
        std::vector<uint8_t> buffer = DictionaryEntry(parts.base, found);
        uint16_t length = kDataBufferSize;
        status = RecordManagerCall(kOpCreate, slot.positionBlock.data(), buffer.data(), &length,
                                   name.data(), kKeyBufferSize, -1);
        if (status != 0) {
            detail = "the file is missing and cannot be created from " +
                     HostPath(Session.rootDir + "ddf\\" + parts.base + ".xdf") +
                     (found ? "" : ", which is missing or unreadable");
            break;
        }
    }
    if (status != 0) {
        slot = Slot{};
        FailOpen(path, physical, status, detail);
        return;
    }
    int16_t keyLength = 0;
    KeyInfo(fileNo, 0, keyLength, slot.recordLength);
    slot.keyBuffer.assign(static_cast<std::size_t>(keyLength), '\0');
}

void ResetRecordFiles(int16_t& status) {
    std::array<uint8_t, kPositionBlockSize> block{};
    uint16_t length = 0;
    status = RecordManagerCall(kOpReset, block.data(), nullptr, &length, nullptr, 0, 0);
    if (status == 0) {
        for (Slot& slot : Slots()) slot = Slot{};
    }
}

void KeyInfo(int16_t fileNo, int16_t keyNumber, int16_t& keyLength, int32_t& recordLength) {
    keyLength = 0;
    recordLength = 0;
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) return;
    const std::string stat = StatOf(Slots()[slotNumber]);
    recordLength = StatRecordLength(stat);
    keyLength = StatKeyLength(stat, keyNumber);
}

void FindRecord(int16_t fileNo, int16_t keyNumber, std::string keyValue, int16_t direction,
                int16_t& status) {
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) {
        status = kRecordFileNotOpen;
        return;
    }
    int16_t keyLength = 0;
    int32_t recordLength = 0;
    KeyInfo(fileNo, keyNumber, keyLength, recordLength);
    if (keyLength == 0) {
        status = kRecordFileNoSuchKey;
        return;
    }
    Slot& slot = Slots()[slotNumber];
    slot.keyNumber = keyNumber;
    keyValue.resize(static_cast<std::size_t>(keyLength), '\0');
    slot.keyBuffer = keyValue;
    const uint16_t operation =
        direction == 0 ? kOpGetEqual : (direction > 0 ? kOpGetGreaterOrEqual : kOpGetLessOrEqual);
    status = ReadRecord(slotNumber, operation);
    if (status == kStatusDataBufferLength) status = 0;
}

void StepRecord(int16_t fileNo, int16_t count, int16_t& status) {
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) {
        status = kRecordFileNotOpen;
        return;
    }
    Slot& slot = Slots()[slotNumber];
    const uint16_t operation = count >= 0 ? kOpGetNext : kOpGetPrevious;
    status = 0;
    int remaining = std::abs(static_cast<int>(count));
    // The steps before the last: straight through the record manager, the
    // record area untouched, no lock.
    while (remaining > 1 && status == 0) {
        std::vector<uint8_t> data(kDataBufferSize, ' ');
        std::array<uint8_t, kKeyBufferSize> key{};
        std::memcpy(key.data(), slot.keyBuffer.data(),
                    std::min(slot.keyBuffer.size(), kKeyBufferSize));
        uint16_t length = kDataBufferSize;
        status = RecordManagerCall(operation, slot.positionBlock.data(), data.data(), &length,
                                   key.data(), kKeyBufferSize, static_cast<int8_t>(slot.keyNumber));
        slot.keyBuffer.assign(reinterpret_cast<const char*>(key.data()), slot.keyBuffer.size());
        if (status == kStatusDataBufferLength) status = 0;
        --remaining;
    }
    if (remaining == 1 && status == 0) {
        status = ReadRecord(slotNumber, operation);
        if (status == kStatusDataBufferLength) status = 0;
    }
}

int32_t RecordPosition(int16_t fileNo, int32_t position) {
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) return 0;
    Slot& slot = Slots()[slotNumber];
    std::vector<uint8_t> data(kDataBufferSize, ' ');
    uint16_t length = kDataBufferSize;
    if (position == 0) {
        const int16_t status = RecordManagerCall(kOpGetPosition, slot.positionBlock.data(),
                                                 data.data(), &length, nullptr, 0, 0);
        if (status != 0) return 0;
        return static_cast<int32_t>(uint32_t{data[0]} | (uint32_t{data[1]} << 8) |
                                    (uint32_t{data[2]} << 16) | (uint32_t{data[3]} << 24));
    }
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<uint8_t>(static_cast<uint32_t>(position) >> (8 * i));
    std::array<uint8_t, kKeyBufferSize> key{};
    std::memcpy(key.data(), slot.keyBuffer.data(), std::min(slot.keyBuffer.size(), kKeyBufferSize));
    int16_t status =
        RecordManagerCall(kOpGetDirect, slot.positionBlock.data(), data.data(), &length, key.data(),
                          kKeyBufferSize, static_cast<int8_t>(slot.keyNumber));
    slot.keyBuffer.assign(reinterpret_cast<const char*>(key.data()), slot.keyBuffer.size());
    if (status == kStatusDataBufferLength) status = 0;
    if (status == 0 && slot.recordAddress != nullptr) {
        const std::size_t copied = std::min<std::size_t>(
            std::min(static_cast<std::size_t>(std::max(slot.recordLength, 0)), kDataBufferSize),
            length);
        std::memcpy(slot.recordAddress, data.data(), copied);
    }
    return status;
}

void SetLockMode(int16_t fileNo, const std::string& letters, int16_t& status) {
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) {
        status = kRecordFileNotOpen;
        return;
    }
    ApplyLockMode(letters, slotNumber, Slots()[slotNumber].lockMode, lockModeStack);
}

std::string ComparableKey(const std::string& keyValue, int16_t fileNo) {
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) return keyValue;
    Slot& slot = Slots()[slotNumber];
    return ComparableKeyFromStat(StatOf(slot), slot.keyNumber, keyValue);
}

std::string CurrentKey(int16_t fileNo) {
    const int slotNumber = OpenSlotOf(fileNo);
    if (slotNumber == 0) return "";
    return ComparableKey(Slots()[slotNumber].keyBuffer, fileNo);
}

void SetRecordFilePauseForTesting(std::function<void(int milliseconds)> pause) {
    PauseSeam() = std::move(pause);
}

void SetOpenFailureReport(OpenFailureReport report) { ReportSeam() = std::move(report); }

void SetProgramEndForTesting(std::function<void()> end) { EndSeam() = std::move(end); }

}  // namespace vela
