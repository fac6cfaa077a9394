// recutil: the record file utility. Creates a record file from its
// dictionary entry, loads and unloads records in the unload format, shows a
// file's description and counts, and checks a file. Files are opened with
// the owner name of the installation's files.
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "recman/file_check.hpp"
#include "recman/file_layout.hpp"
#include "recman/record_manager.hpp"
#include "recman/status_text.hpp"
#include "records/owner_name.hpp"
#include "tools/recutil/csv_commands.hpp"
#include "tools/recutil/unload_format.hpp"

namespace {

using vela::RecordManagerCall;

constexpr const char* kUsage =
    "usage: recutil COMMAND ...\n"
    "  The record file utility: creates the installation's record files, moves\n"
    "  records in and out of them and checks them. FILE is the file's host path\n"
    "  (ROOT/DADES/VPagos.dat).\n"
    "  recutil create FILE XDF          create FILE from a dictionary entry\n"
    "  recutil load FILE UNLOADFILE     insert the records of an unload file; all\n"
    "                                   or nothing: a failed or interrupted load\n"
    "                                   leaves FILE as it was, so run it again\n"
    "  recutil unload FILE [--key N | --physical]\n"
    "                                   write the records as an unload file to\n"
    "                                   standard output, in key N order (default 0)\n"
    "                                   or physical order; along a key that leaves\n"
    "                                   out null values, physical order (said on\n"
    "                                   standard error); fails when the count\n"
    "                                   written is not the file's count\n"
    "  recutil stat FILE                record length, keys, segments, counts\n"
    "  recutil check FILE               verify the file; non-zero if damaged\n"
    "  recutil export FILE [--key N]    the records as CSV (UTF-8, a header of field\n"
    "                                   names, codes 0042, dates 31.12.2025, amounts\n"
    "                                   in euros 1234.56) on standard output\n"
    "  recutil import FILE CSVFILE      insert the records of such a CSV file\n"
    "                                   (columns by header name; fields left out are\n"
    "                                   blank or zero); all or nothing\n";

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr uint16_t kBufferSize = 4096;

int Fail(const std::string& message) {
    std::cerr << "recutil: " << message << "\n";
    return kExitFailure;
}

int Usage(const std::string& message) {
    std::cerr << "recutil: " << message << "\n" << kUsage;
    return kExitUsage;
}

// One open record file.
struct OpenFile {
    std::array<uint8_t, vela::kPositionBlockSize> block{};
    bool open = false;

    int16_t Open(const std::string& path, const std::string& owner) {
        std::string name = path;
        name.push_back('\0');
        if (name.size() > 255) return vela::kStatusFileNotFound;
        std::string ownerBuffer = owner;
        uint16_t length = static_cast<uint16_t>(ownerBuffer.size());
        const int16_t status =
            RecordManagerCall(vela::kOpOpen, block.data(), ownerBuffer.data(), &length, name.data(),
                              static_cast<uint8_t>(name.size()), vela::kOpenNormal);
        open = status == 0;
        return status;
    }
    int16_t Call(uint16_t operation, void* data = nullptr, uint16_t* length = nullptr,
                 void* key = nullptr, uint8_t keyLength = 0, int8_t keyNumber = 0) {
        uint16_t none = 0;
        return RecordManagerCall(operation, block.data(), data, length ? length : &none, key,
                                 keyLength, keyNumber);
    }
    ~OpenFile() {
        if (open) Call(vela::kOpClose);
    }
};

// Opens with the installation's owner name; a file without one opens too.
int16_t OpenWithOwner(OpenFile& file, const std::string& path) {
    return file.Open(path, vela::RecordOwnerName());
}

int Create(const std::string& path, const std::string& dictionaryPath) {
    std::ifstream in(dictionaryPath, std::ios::binary);
    if (!in) return Fail("cannot read the dictionary entry " + dictionaryPath);
    std::string entry((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (entry.size() < 2) return Fail(dictionaryPath + " is not a dictionary entry");
    const int16_t declared = static_cast<int16_t>(static_cast<uint8_t>(entry[0]) |
                                                  (static_cast<uint8_t>(entry[1]) << 8));
    if (declared <= 0 || static_cast<std::size_t>(declared) > entry.size() - 2) {
        return Fail(dictionaryPath + " is not a dictionary entry (length " +
                    std::to_string(declared) + ")");
    }
    std::vector<uint8_t> buffer(entry.begin() + 2, entry.begin() + 2 + declared);
    std::string name = path;
    name.push_back('\0');
    if (name.size() > 255) return Fail("path too long: " + path);
    std::array<uint8_t, vela::kPositionBlockSize> block{};
    uint16_t length = static_cast<uint16_t>(buffer.size());
    int16_t status = RecordManagerCall(vela::kOpCreate, block.data(), buffer.data(), &length,
                                       name.data(), static_cast<uint8_t>(name.size()), -1);
    if (status != 0) return Fail("cannot create " + path + ": " + vela::StatusText(status));
    OpenFile file;
    status = file.Open(path, "");
    if (status == 0) {
        std::string owner = vela::RecordOwnerName();
        uint16_t ownerLength = static_cast<uint16_t>(owner.size());
        status = file.Call(vela::kOpSetOwner, owner.data(), &ownerLength, owner.data(),
                           static_cast<uint8_t>(owner.size()), 0);
    }
    if (status != 0)
        return Fail("cannot set the owner name of " + path + ": " + vela::StatusText(status));
    return 0;
}

// The whole load is one transaction: a record that cannot be inserted, a
// malformed unload file, or the end of the process (killed, the machine
// stopping) leave the file as it was before the load, so running the same
// load again never duplicates records.
int Load(const std::string& path, const std::string& unloadPath) {
    std::ifstream in(unloadPath, std::ios::binary);
    if (!in) return Fail("cannot read " + unloadPath);
    OpenFile file;
    int16_t status = OpenWithOwner(file, path);
    if (status != 0) return Fail("cannot open " + path + ": " + vela::StatusText(status));
    status = file.Call(vela::kOpBeginTransaction);
    if (status != 0) return Fail("cannot load " + path + ": " + vela::StatusText(status));
    std::string record, error;
    std::array<uint8_t, 255> key{};
    long loaded = 0;
    while (vela::recutil::ReadUnloadRecord(in, record, error)) {
        uint16_t length = static_cast<uint16_t>(record.size());
        status = file.Call(vela::kOpInsert, record.data(), &length, key.data(), 255, 0);
        if (status != 0) {
            file.Call(vela::kOpAbortTransaction);
            return Fail("record " + std::to_string(loaded + 1) + " of " + unloadPath +
                        " not loaded: " + vela::StatusText(status) + "; nothing loaded");
        }
        ++loaded;
    }
    if (!error.empty()) {
        file.Call(vela::kOpAbortTransaction);
        return Fail(unloadPath + ": " + error + " after record " + std::to_string(loaded) +
                    "; nothing loaded");
    }
    status = file.Call(vela::kOpEndTransaction);
    if (status != 0) {
        return Fail("cannot load " + path + ": " + vela::StatusText(status) + "; nothing loaded");
    }
    std::cout << loaded << " records loaded\n";
    return 0;
}

// The file's description and record count, from Stat.
int16_t ReadStat(OpenFile& file, vela::recman::FileLayout& layout, uint32_t& records) {
    std::vector<uint8_t> buffer(kBufferSize);
    uint16_t length = kBufferSize;
    std::array<uint8_t, 255> key{};
    int16_t status = file.Call(vela::kOpStat, buffer.data(), &length, key.data(), 255, 0);
    if (status != 0) return status;
    buffer.resize(length);
    status = vela::recman::ParseFileLayout(buffer, layout);
    if (status != 0) return status;
    records = uint32_t{buffer[6]} | (uint32_t{buffer[7]} << 8) | (uint32_t{buffer[8]} << 16) |
              (uint32_t{buffer[9]} << 24);
    return 0;
}

int Unload(const std::string& path, int keyNumber, bool physical) {
    OpenFile file;
    int16_t status = OpenWithOwner(file, path);
    if (status != 0) return Fail("cannot open " + path + ": " + vela::StatusText(status));
    vela::recman::FileLayout layout;
    uint32_t before = 0;
    status = ReadStat(file, layout, before);
    if (status != 0)
        return Fail("cannot read the description of " + path + ": " + vela::StatusText(status));
    if (!physical && static_cast<std::size_t>(keyNumber) >= layout.keys.size()) {
        return Fail(path + " has no key " + std::to_string(keyNumber) + " (" +
                    vela::StatusText(vela::kStatusInvalidKeyNumber) + ")");
    }
    // A null key leaves the records whose value is null out of its index, so
    // walking it would drop them.
    if (!physical && layout.keys[keyNumber].nullKey) {
        std::cerr << "recutil: key " << keyNumber << " of " << path
                  << " leaves out the records whose value is null; unloading in physical "
                     "order\n";
        physical = true;
        keyNumber = 0;
    }
    std::vector<uint8_t> data(kBufferSize);
    std::array<uint8_t, 255> key{};
    uint16_t first = physical ? vela::kOpStepFirst : vela::kOpGetFirst;
    const uint16_t next = physical ? vela::kOpStepNext : vela::kOpGetNext;
    std::ostream& out = std::cout;
    uint32_t written = 0;
    for (;;) {
        uint16_t length = kBufferSize;
        status =
            file.Call(first, data.data(), &length, key.data(), 255, static_cast<int8_t>(keyNumber));
        if (status != 0) break;
        vela::recutil::WriteUnloadRecord(
            out, std::string(reinterpret_cast<const char*>(data.data()), length));
        ++written;
        first = next;
    }
    if (status != vela::kStatusEndOfFile) {
        return Fail("cannot unload " + path + ": " + vela::StatusText(status) + " after " +
                    std::to_string(written) + " records");
    }
    uint32_t after = 0;
    status = ReadStat(file, layout, after);
    if (status != 0)
        return Fail("cannot read the description of " + path + ": " + vela::StatusText(status));
    if (before != after) {
        return Fail(path + " changed while it was unloaded (" + std::to_string(before) +
                    " records before, " + std::to_string(after) + " after, " +
                    std::to_string(written) + " written); unload it again");
    }
    if (written != after) {
        return Fail(std::to_string(written) + " records written but " + path + " holds " +
                    std::to_string(after));
    }
    out << vela::recutil::kEndOfFileByte;
    out.flush();
    return out ? 0 : Fail("cannot write the unload file");
}

std::string FlagNames(uint16_t flags) {
    static constexpr std::pair<uint16_t, const char*> kNames[] = {
        {vela::recman::kKeyDuplicates, "duplicates"}, {vela::recman::kKeyModifiable, "modifiable"},
        {vela::recman::kKeyBinary, "binary"},         {vela::recman::kKeyNull, "null"},
        {vela::recman::kKeyCollating, "collating"},   {vela::recman::kKeyDescending, "descending"},
    };
    std::string names;
    for (const auto& [flag, name] : kNames) {
        if ((flags & flag) != 0) names += std::string(names.empty() ? "" : " ") + name;
    }
    return names;
}

int Stat(const std::string& path) {
    OpenFile file;
    int16_t status = OpenWithOwner(file, path);
    if (status != 0) return Fail("cannot open " + path + ": " + vela::StatusText(status));
    std::vector<uint8_t> buffer(kBufferSize);
    uint16_t length = kBufferSize;
    std::array<uint8_t, 255> key{};
    status = file.Call(vela::kOpStat, buffer.data(), &length, key.data(), 255, 0);
    if (status != 0)
        return Fail("cannot read the description of " + path + ": " + vela::StatusText(status));
    buffer.resize(length);
    vela::recman::FileLayout layout;
    if (vela::recman::ParseFileLayout(buffer, layout) != 0) return Fail("unreadable description");
    auto le32 = [&](std::size_t at) {
        return uint32_t{buffer[at]} | (uint32_t{buffer[at + 1]} << 8) |
               (uint32_t{buffer[at + 2]} << 16) | (uint32_t{buffer[at + 3]} << 24);
    };
    std::cout << "record length " << layout.recordLength << "\n"
              << "page size " << layout.pageSize << "\n"
              << "keys " << layout.keys.size() << "\n"
              << "records " << le32(6) << "\n";
    std::size_t at = vela::recman::kFileHeaderSize;
    for (std::size_t k = 0; k < layout.keys.size(); ++k) {
        const auto& keyDef = layout.keys[k];
        std::cout << "key " << k << ": length " << keyDef.length << ", distinct values "
                  << le32(at + 6) << "\n";
        for (const auto& segment : keyDef.segments) {
            const std::string names = FlagNames(segment.flags);
            std::cout << "  segment position " << segment.position << ", length " << segment.length
                      << (names.empty() ? "" : ", " + names) << "\n";
            at += vela::recman::kSegmentSize;
        }
    }
    if (layout.hasCollating) {
        std::cout << "collating sequence "
                  << std::string(reinterpret_cast<const char*>(layout.collating.data()) + 1, 8)
                  << "\n";
    }
    return 0;
}

int Check(const std::string& path) {
    const vela::recman::CheckReport report = vela::recman::CheckRecordFile(path);
    if (report.status != 0)
        return Fail("cannot open " + path + ": " + vela::StatusText(report.status));
    for (const std::string& problem : report.problems) std::cout << path << ": " << problem << "\n";
    if (!report.Sound()) return Fail(path + " is damaged");
    std::cout << path << ": sound, " << report.records << " records\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
    }
    if (args.empty()) return Usage("no command given");
    const std::string& command = args[0];
    if (command == "create" && args.size() == 3) return Create(args[1], args[2]);
    if (command == "load" && args.size() == 3) return Load(args[1], args[2]);
    if (command == "stat" && args.size() == 2) return Stat(args[1]);
    if (command == "check" && args.size() == 2) return Check(args[1]);
    if (command == "import" && args.size() == 3)
        return vela::recutil::ImportCsv(args[1], args[2], std::cout, std::cerr);
    if (command == "export" && (args.size() == 2 || (args.size() == 4 && args[2] == "--key"))) {
        const std::string number = args.size() == 4 ? args[3] : "0";
        if (number.empty() || number.size() > 3 ||
            number.find_first_not_of("0123456789") != std::string::npos || std::stoi(number) > 118)
            return Usage("--key needs a key number");
        return vela::recutil::ExportCsv(args[1], std::stoi(number), std::cout, std::cerr);
    }
    if (command == "unload" && args.size() >= 2) {
        int keyNumber = 0;
        bool physical = false;
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--physical") {
                physical = true;
            } else if (args[i] == "--key" && i + 1 < args.size()) {
                const std::string& number = args[++i];
                if (number.empty() || number.size() > 3 ||
                    number.find_first_not_of("0123456789") != std::string::npos) {
                    return Usage("--key needs a key number");
                }
                keyNumber = std::stoi(number);
                if (keyNumber > 118) return Usage("--key needs a key number");
            } else {
                return Usage("unknown option " + args[i]);
            }
        }
        return Unload(args[1], keyNumber, physical);
    }
    return Usage("unknown command or wrong arguments: " + command);
}
