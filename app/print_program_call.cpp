#include "app/print_program_call.hpp"

#include <string>

#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "datenum/text_utils.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/host_path.hpp"
#include "platform/process.hpp"

namespace vela {

int RunPrintProgramAndShowLine() {
    std::string output;
    const int status = RunProgramCollectingOutput({HostPath(Session.exeDir + "ROVODOVO")},
                                                  BatchMessages(), output);
    // The last non-empty line is the completion line (UTF-8).
    std::string line;
    std::size_t end = output.size();
    while (end > 0) {
        const auto start = output.rfind('\n', end - 1);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        line = TrimBlanks(output.substr(from, end - from));
        if (!line.empty() || start == std::string::npos) break;
        end = start;
    }
    // The return files have their own messages; the spool of a return run is empty.
    if (!line.empty() && Selection.outputKind != "S") ShowRunMessage(Cp850(line));
    return status;
}

}  // namespace vela
