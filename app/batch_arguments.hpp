// The command line of a batch run of KELD0190, for offices that script their
// year-end and for tests:
//   KELD0190 --batch --kind S|R|C --closing DATE --first CODE --last CODE
//            [--contact-name TEXT] [--contact-phone TEXT] [--figures]
// DATE and CODE as a clerk types them into the selection form; the contact
// values as typed into the presenter form.
#pragma once

#include <optional>
#include <string>

namespace vela {

struct BatchArguments {
    std::string kind;
    std::string closingDate;
    std::string firstOwner;
    std::string lastOwner;
    std::optional<std::string> contactName;
    std::optional<std::string> contactPhone;
    bool figures = false;  // --figures: the run's reads and memory on standard error
};

enum class CommandLine { interactive, batch, help, error };

// Reads argv; error explains a rejected command line.
CommandLine ParseCommandLine(int argc, const char* const* argv, BatchArguments& arguments,
                             std::string& error);

extern const char* const kCommandUsage;

}  // namespace vela
