#include "tools/recutil/unload_format.hpp"

namespace vela::recutil {

namespace {

constexpr std::size_t kMaxRecordLength = 65535;

}  // namespace

bool ReadUnloadRecord(std::istream& in, std::string& record, std::string& error) {
    error.clear();
    record.clear();
    int c = in.get();
    // Blank lines between records are tolerated, as some programs end the
    // last record with an extra line end before the Ctrl-Z.
    while (c == '\r' || c == '\n') c = in.get();
    if (c == std::char_traits<char>::eof() || c == kEndOfFileByte) return false;
    std::size_t length = 0;
    int digits = 0;
    while (c >= '0' && c <= '9') {
        length = length * 10 + static_cast<std::size_t>(c - '0');
        if (length > kMaxRecordLength) {
            error = "record length too large";
            return false;
        }
        ++digits;
        c = in.get();
    }
    if (digits == 0 || c != ',') {
        error = "expected a record length followed by \",\"";
        return false;
    }
    record.resize(length);
    in.read(record.data(), static_cast<std::streamsize>(length));
    if (static_cast<std::size_t>(in.gcount()) != length) {
        error = "file ends inside a record";
        return false;
    }
    c = in.get();
    if (c == '\r') c = in.get();
    if (c != '\n') {
        error = "record not followed by a line end";
        return false;
    }
    return true;
}

void WriteUnloadRecord(std::ostream& out, const std::string& record) {
    out << record.size() << ',';
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
    out << "\r\n";
}

}  // namespace vela::recutil
