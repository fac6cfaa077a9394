#include "tools/recutil/csv_commands.hpp"

#include <array>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "recman/record_manager.hpp"
#include "recman/status_text.hpp"
#include "records/owner_name.hpp"
#include "tools/recutil/csv_text.hpp"
#include "tools/recutil/record_csv.hpp"

namespace vela::recutil {

namespace {

constexpr uint16_t kBufferSize = 4096;

int Fail(std::ostream& err, const std::string& message) {
    err << "recutil: " << message << "\n";
    return 1;
}

// One record file, opened with the installation's owner name and closed at
// the end of the scope.
class RecordFile {
  public:
    int16_t Open(const std::string& path) {
        std::string name = path;
        name.push_back('\0');
        if (name.size() > 255) return kStatusFileNotFound;
        std::string owner = RecordOwnerName();
        uint16_t length = static_cast<uint16_t>(owner.size());
        const int16_t status =
            RecordManagerCall(kOpOpen, block_.data(), owner.data(), &length, name.data(),
                              static_cast<uint8_t>(name.size()), kOpenNormal);
        open_ = status == 0;
        return status;
    }
    int16_t Call(uint16_t operation, void* data = nullptr, uint16_t* length = nullptr,
                 int8_t keyNumber = 0) {
        uint16_t none = 0;
        return RecordManagerCall(operation, block_.data(), data, length ? length : &none,
                                 key_.data(), static_cast<uint8_t>(key_.size()), keyNumber);
    }
    ~RecordFile() {
        if (open_) Call(kOpClose);
    }

  private:
    std::array<uint8_t, kPositionBlockSize> block_{};
    std::array<uint8_t, 255> key_{};
    bool open_ = false;
};

std::string FileNames() {
    std::string names;
    for (const RecordFileInfo& file : kRecordFiles)
        names += (names.empty() ? "" : ", ") + std::string(file.name);
    return names;
}

const RecordFileInfo* DescribedFile(const std::string& path, std::ostream& err) {
    const RecordFileInfo* file = RecordFileOfPath(path);
    if (file == nullptr) {
        Fail(err, path +
                      " is not one of the installation's record files, whose fields recutil "
                      "knows: " +
                      FileNames());
    }
    return file;
}

}  // namespace

int ExportCsv(const std::string& path, int keyNumber, std::ostream& out, std::ostream& err) {
    const RecordFileInfo* info = DescribedFile(path, err);
    if (info == nullptr) return 1;
    RecordFile file;
    int16_t status = file.Open(path);
    if (status != 0) return Fail(err, "cannot open " + path + ": " + StatusText(status));
    out << CsvLine(CsvHeader(*info));
    std::vector<char> data(kBufferSize);
    uint16_t operation = kOpGetFirst;
    for (long count = 1;; ++count) {
        uint16_t length = kBufferSize;
        status = file.Call(operation, data.data(), &length, static_cast<int8_t>(keyNumber));
        if (status != 0) break;
        if (length != info->recordLength) {
            return Fail(err, "record " + std::to_string(count) + " of " + path + " holds " +
                                 std::to_string(length) + " bytes, not the " +
                                 std::to_string(info->recordLength) + " of a " +
                                 std::string(info->name) + " record");
        }
        out << CsvLine(CsvRecordValues(*info, std::string_view(data.data(), length)));
        operation = kOpGetNext;
    }
    if (status != kStatusEndOfFile)
        return Fail(err, "cannot export " + path + ": " + StatusText(status));
    out.flush();
    return out ? 0 : Fail(err, "cannot write the CSV text");
}

int ImportCsv(const std::string& path, const std::string& csvPath, std::ostream& out,
              std::ostream& err) {
    const RecordFileInfo* info = DescribedFile(path, err);
    if (info == nullptr) return 1;
    std::ifstream in(csvPath, std::ios::binary);
    if (!in) return Fail(err, "cannot read " + csvPath);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    CsvReader reader(text);
    CsvRow row;
    std::string error;
    if (!reader.Next(row, error)) {
        return Fail(err, csvPath + ": " +
                             (error.empty() ? "empty; the first line names the columns" : error));
    }
    const auto builder = CsvRecordBuilder::FromHeader(*info, row.values, error);
    if (!builder) return Fail(err, csvPath + ": line " + std::to_string(row.line) + ", " + error);

    // One transaction: the first bad value or refused record aborts it, and
    // the file is left as it was.
    RecordFile file;
    int16_t status = file.Open(path);
    if (status != 0) return Fail(err, "cannot open " + path + ": " + StatusText(status));
    status = file.Call(kOpBeginTransaction);
    if (status != 0) return Fail(err, "cannot import into " + path + ": " + StatusText(status));
    auto abandon = [&](const std::string& why) {
        file.Call(kOpAbortTransaction);
        return Fail(err, csvPath + ": " + why + "; nothing was imported");
    };
    long imported = 0;
    std::string record;
    while (reader.Next(row, error)) {
        if (!builder->Build(row.values, record, error))
            return abandon("line " + std::to_string(row.line) + ", " + error);
        uint16_t length = static_cast<uint16_t>(record.size());
        status = file.Call(kOpInsert, record.data(), &length);
        if (status != 0) {
            return abandon("line " + std::to_string(row.line) +
                           ": the record cannot be inserted: " + StatusText(status));
        }
        ++imported;
    }
    if (!error.empty()) return abandon(error);
    status = file.Call(kOpEndTransaction);
    if (status != 0) {
        return Fail(err, "cannot import into " + path + ": " + StatusText(status) +
                             "; nothing was imported");
    }
    out << imported << " records imported\n";
    return 0;
}

}  // namespace vela::recutil
