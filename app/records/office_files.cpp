#include "app/records/office_files.hpp"

#include <string>

#include "app/records/record_areas.hpp"
#include "env/session.hpp"
#include "records/record_file.hpp"

namespace vela {

void OpenOfficeFiles() {
    for (const RecordFileInfo& file : kRecordFiles) {
        // The status is not examined: 1002 and 1003 cannot occur for the
        // program's own nine numbers, and every other failure has already
        // ended the program inside the layer.
        std::int16_t status = 0;
        OpenRecordFile(file.fileNumber, Session.rootDir + std::string(file.path),
                       AreaOfFile(file.fileNumber)->data(), status);
    }
}

}  // namespace vela
