// The command line of vela-demo:
//   vela-demo ROOT [--seed N] [--size small|large|COUNT] [--year YYYY]
//             [--no-data] [--replace] [--unload DIR] [--csv DIR] [--data DIR]
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/demo/demo_office.hpp"

namespace vela {

struct DemoArguments {
    std::string root;
    DemoOptions office;
    bool noData = false;
    bool replace = false;   // overwrite existing record files
    std::string unloadDir;  // also write the records as unload files here
    std::string csvDir;     // also write the records as CSV files here
    std::string dataDir;    // empty: the repository's data folder
    bool help = false;
};

extern const char* const kDemoUsage;

std::optional<DemoArguments> ParseDemoArguments(const std::vector<std::string>& args,
                                                std::string& error);

}  // namespace vela
