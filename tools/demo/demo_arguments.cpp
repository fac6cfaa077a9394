#include "tools/demo/demo_arguments.hpp"

#include <algorithm>
#include <cctype>

namespace vela {

const char* const kDemoUsage =
    "usage: vela-demo ROOT [--seed N] [--size small|large|COUNT] [--year YYYY]\n"
    "                 [--no-data] [--replace] [--unload DIR] [--csv DIR] [--data DIR]\n"
    "                 [--no-check-cases]\n"
    "  Writes a complete installation in ROOT: Vela.ini, FORMS, LOCALE, AJUDA,\n"
    "  ddf and the nine record files filled with the demo office.\n"
    "  --seed N     the office made (default 1); the same seed makes the same office\n"
    "  --size       small (12 owners, the default), large (3000 owners, about a\n"
    "               million payments) or a number of owners (1 to 9999)\n"
    "  --year YYYY  the year of the return (default 2025); payments run from the\n"
    "               year before into the start of the year after\n"
    "  --no-data    create the record files empty, for an office that loads its own\n"
    "  --replace    overwrite the record files of an earlier installation in ROOT\n"
    "               (without it, a ROOT that holds record files is left alone)\n"
    "  --unload DIR also write each file's records as an unload file DIR/<name>.unl\n"
    "  --csv DIR    also write each file's records as a CSV file DIR/<name>.csv, as\n"
    "               recutil export writes them and recutil import reads them\n"
    "  --data DIR   the installation data to copy (LOCALE, FORMS, AJUDA)\n"
    "  --no-check-cases  leave out the two owners and ten payees whose faults\n"
    "               the check of return files reports, and the sample return\n"
    "               files of AEAT/190M<year>.0A/P0003, AEAT/190M<year-1>.0A/ and\n"
    "               LLISTAT<year-1>.TXT\n";

namespace {

bool Number(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stol(text);
    return value >= low && value <= high;
}

}  // namespace

std::optional<DemoArguments> ParseDemoArguments(const std::vector<std::string>& args,
                                                std::string& error) {
    DemoArguments result;
    result.office.owners = kSmallOffice;
    result.office.checkCases = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--seed" || arg == "--size" || arg == "--year" ||
                                arg == "--unload" || arg == "--csv" || arg == "--data";
        if (takesValue && i + 1 >= args.size()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        long number = 0;
        if (arg == "--help") {
            result.help = true;
            return result;
        } else if (arg == "--no-data") {
            result.noData = true;
        } else if (arg == "--no-check-cases") {
            result.office.checkCases = false;
        } else if (arg == "--replace") {
            result.replace = true;
        } else if (arg == "--seed") {
            const std::string& value = args[++i];
            if (!Number(value, 0, 999999999999999999L, number)) {
                error = "the seed must be a whole number: " + value;
                return std::nullopt;
            }
            result.office.seed = static_cast<std::uint64_t>(number);
        } else if (arg == "--size") {
            const std::string& value = args[++i];
            if (value == "small") {
                result.office.owners = kSmallOffice;
                result.office.checkCases = true;
            } else if (value == "large") {
                result.office.owners = kLargeOffice;
            } else if (Number(value, 1, 9999, number)) {
                result.office.owners = static_cast<int>(number);
            } else {
                error = "the size is small, large or a number of owners from 1 to 9999: " + value;
                return std::nullopt;
            }
        } else if (arg == "--year") {
            const std::string& value = args[++i];
            if (!Number(value, 1901, 2098, number)) {
                error = "the year must be written with four digits: " + value;
                return std::nullopt;
            }
            result.office.year = static_cast<int>(number);
        } else if (arg == "--unload") {
            result.unloadDir = args[++i];
        } else if (arg == "--csv") {
            result.csvDir = args[++i];
        } else if (arg == "--data") {
            result.dataDir = args[++i];
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (result.root.empty()) {
            result.root = arg;
        } else {
            error = "only one installation root: " + arg;
            return std::nullopt;
        }
    }
    if (result.root.empty()) {
        error = "name the folder of the installation";
        return std::nullopt;
    }
    return result;
}

}  // namespace vela
