#include "records/record_path.hpp"

namespace vela {

RecordPath SplitRecordPath(const std::string& path) {
    RecordPath result;
    const std::size_t separator = path.find_last_of(":\\/");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    result.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        result.base = name;
        result.extension = ".dat";
    } else {
        result.base = name.substr(0, dot);
        result.extension = name.substr(dot);
    }
    return result;
}

}  // namespace vela
