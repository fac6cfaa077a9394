#include "app/batch_arguments.hpp"

#include <cstring>

namespace vela {

const char* const kCommandUsage =
    "usage: KELD0190\n"
    "         runs the program in the session that RUKROOT, RUKEXE, RUKTMP and the\n"
    "         session folder's Sessio.ini and VelaTerm.ini describe\n"
    "       KELD0190 --batch --kind S|R|C --closing DATE --first CODE --last CODE\n"
    "                [--contact-name TEXT] [--contact-phone TEXT] [--figures]\n"
    "         one run for that selection without forms: S return files, R listing,\n"
    "         C certificates; DATE and CODE as typed into the selection form\n"
    "         (31.12.2025, 311225, 1, 9999). Exit codes: 0 done, 2 usage,\n"
    "         3 selection rejected, 4 the run failed (a record file that cannot\n"
    "         be opened or read, a return file or the spool file that cannot be\n"
    "         written, the print program missing or failing, another run that\n"
    "         holds the return files or the session's spool file too long),\n"
    "         5 return files written but their check found errors (see\n"
    "         REVISIO.TXT in each return folder). Messages go to standard\n"
    "         output, what went wrong to standard error; --figures adds the\n"
    "         run's record reads there.\n";

CommandLine ParseCommandLine(int argc, const char* const* argv, BatchArguments& arguments,
                             std::string& error) {
    if (argc <= 1) return CommandLine::interactive;
    bool batch = false;
    bool kind = false, closing = false, first = false, last = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") return CommandLine::help;
        if (option == "--batch") {
            batch = true;
            continue;
        }
        if (option == "--figures") {
            arguments.figures = true;
            continue;
        }
        static const char* const kValueOptions[] = {"--kind", "--closing",      "--first",
                                                    "--last", "--contact-name", "--contact-phone"};
        bool known = false;
        for (const char* name : kValueOptions) known = known || option == name;
        if (!known) {
            error = "unknown option " + option;
            return CommandLine::error;
        }
        if (i + 1 >= argc) {
            error = "option " + option + " needs a value";
            return CommandLine::error;
        }
        const std::string value = argv[++i];
        if (option == "--kind") {
            arguments.kind = value;
            kind = true;
        } else if (option == "--closing") {
            arguments.closingDate = value;
            closing = true;
        } else if (option == "--first") {
            arguments.firstOwner = value;
            first = true;
        } else if (option == "--last") {
            arguments.lastOwner = value;
            last = true;
        } else if (option == "--contact-name") {
            arguments.contactName = value;
        } else {
            arguments.contactPhone = value;
        }
    }
    if (!batch) {
        error = "options need --batch";
        return CommandLine::error;
    }
    if (!kind || !closing || !first || !last) {
        error = "--batch needs --kind, --closing, --first and --last";
        return CommandLine::error;
    }
    return CommandLine::batch;
}

}  // namespace vela
