#include "tools/demo/csv_file_sink.hpp"

#include <filesystem>

#include "tools/recutil/csv_text.hpp"
#include "tools/recutil/record_csv.hpp"

namespace vela {

CsvFileSink::CsvFileSink(std::string folder) : folder_(std::move(folder)) {}

std::ofstream& CsvFileSink::Stream(std::size_t index) {
    auto& stream = files_[index];
    if (!stream) {
        const RecordFileInfo& file = kRecordFiles[index];
        stream = std::make_unique<std::ofstream>(
            (std::filesystem::path(folder_) / (std::string(file.name) + ".csv")).string(),
            std::ios::binary | std::ios::trunc);
        *stream << recutil::CsvLine(recutil::CsvHeader(file));
    }
    return *stream;
}

void CsvFileSink::Add(const RecordFileInfo& file, std::string_view record) {
    Stream(static_cast<std::size_t>(&file - kRecordFiles.data()))
        << recutil::CsvLine(recutil::CsvRecordValues(file, record));
}

bool CsvFileSink::Close(std::string& error) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        std::ofstream& stream = Stream(i);
        stream.close();
        if (!stream) {
            error = "cannot write the CSV file of " + std::string(kRecordFiles[i].name) + " in " +
                    folder_;
            return false;
        }
    }
    return true;
}

}  // namespace vela
