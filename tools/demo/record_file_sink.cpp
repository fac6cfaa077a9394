#include "tools/demo/record_file_sink.hpp"

#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/host_path.hpp"
#include "records/owner_name.hpp"

namespace vela {

namespace {

// Records inserted per write transaction: large enough that commits cost
// little, small enough to keep a transaction's dirty pages modest.
constexpr std::size_t kBatch = 20000;

std::vector<char> PathBuffer(const std::string& path) {
    std::vector<char> buffer(255, '\0');
    std::memcpy(buffer.data(), path.data(), std::min<std::size_t>(path.size(), 254));
    return buffer;
}

std::string Describe(const RecordFileInfo& file, const char* what, int status) {
    return std::string(what) + " " + std::string(file.path) + " (status " + std::to_string(status) +
           ")";
}

}  // namespace

RecordManagerSink::RecordManagerSink(std::string root) : root_(std::move(root)) {}

RecordManagerSink::~RecordManagerSink() {
    std::string ignored;
    Close(ignored);
}

std::string RecordManagerSink::DataFilePath(const std::string& root, const RecordFileInfo& file) {
    std::string folder = root;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + HostPath(file.path) + ".dat";
}

std::string RecordManagerSink::ExistingFile(const std::string& root) {
    for (const RecordFileInfo& file : kRecordFiles) {
        std::error_code ignored;
        if (std::filesystem::exists(DataFilePath(root, file), ignored))
            return std::string(file.path);
    }
    return "";
}

bool RecordManagerSink::Create(bool open, std::string& error) {
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        const RecordFileInfo& file = kRecordFiles[i];
        const std::string path = DataFilePath(root_, file);
        if (path.size() > 254) {
            error = "the installation folder's path is too long for the record manager: " + path;
            return false;
        }
        std::error_code ignored;  // a folder that cannot be made fails the Create below
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        std::vector<char> key = PathBuffer(path);
        // The dictionary entry's create buffer follows its 2-byte length.
        std::string buffer(file.dictionaryEntry.substr(2));
        std::uint16_t length = static_cast<std::uint16_t>(buffer.size());
        OpenFile& slot = files_[i];
        int16_t status = RecordManagerCall(kOpCreate, slot.block.data(), buffer.data(), &length,
                                           key.data(), 255, 0);
        if (status != kStatusOk) {
            error = Describe(file, "cannot create", status);
            return false;
        }
        slot.block.fill(0);
        length = 0;
        status = RecordManagerCall(kOpOpen, slot.block.data(), nullptr, &length, key.data(), 255,
                                   kOpenExclusive);
        if (status != kStatusOk) {
            error = Describe(file, "cannot open", status);
            return false;
        }
        slot.open = true;
        // Every file of the installation carries the owner name the
        // family's programs open it with.
        std::string owner = RecordOwnerName();
        length = static_cast<std::uint16_t>(owner.size());
        status = RecordManagerCall(kOpSetOwner, slot.block.data(), owner.data(), &length,
                                   owner.data(), static_cast<std::uint8_t>(owner.size()), 0);
        if (status != kStatusOk) {
            error = Describe(file, "cannot set the owner name of", status);
            return false;
        }
        if (!open) {
            RecordManagerCall(kOpClose, slot.block.data(), nullptr, &length, nullptr, 0, 0);
            slot.open = false;
            continue;
        }
    }
    return true;
}

void RecordManagerSink::Add(const RecordFileInfo& file, std::string_view record) {
    if (!failure_.empty()) return;
    const std::size_t index = static_cast<std::size_t>(&file - kRecordFiles.data());
    OpenFile& slot = files_[index];
    if (!slot.open) {
        failure_ = Describe(file, "not open:", kStatusFileNotOpen);
        return;
    }
    std::uint16_t length = 0;
    if (!slot.inTransaction) {
        const int16_t status = RecordManagerCall(kOpBeginTransaction, slot.block.data(), nullptr,
                                                 &length, nullptr, 0, 0);
        if (status != kStatusOk) {
            failure_ = Describe(file, "cannot begin a transaction on", status);
            return;
        }
        slot.inTransaction = true;
    }
    std::string data(record);
    char key[255] = {};
    length = static_cast<std::uint16_t>(data.size());
    int16_t status =
        RecordManagerCall(kOpInsert, slot.block.data(), data.data(), &length, key, 255, 0);
    if (status != kStatusOk) {
        failure_ = Describe(file, "cannot insert into", status);
        return;
    }
    if (++slot.pending == kBatch) {
        status = RecordManagerCall(kOpEndTransaction, slot.block.data(), nullptr, &length, nullptr,
                                   0, 0);
        slot.inTransaction = false;
        slot.pending = 0;
        if (status != kStatusOk) failure_ = Describe(file, "cannot commit", status);
    }
}

bool RecordManagerSink::Close(std::string& error) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        OpenFile& slot = files_[i];
        std::uint16_t length = 0;
        if (slot.inTransaction) {
            const int16_t status =
                RecordManagerCall(failure_.empty() ? kOpEndTransaction : kOpAbortTransaction,
                                  slot.block.data(), nullptr, &length, nullptr, 0, 0);
            if (status != kStatusOk && failure_.empty()) {
                failure_ = Describe(kRecordFiles[i], "cannot commit", status);
            }
            slot.inTransaction = false;
        }
        if (slot.open) {
            RecordManagerCall(kOpClose, slot.block.data(), nullptr, &length, nullptr, 0, 0);
            slot.open = false;
        }
    }
    if (!failure_.empty()) error = failure_;
    return failure_.empty();
}

}  // namespace vela
