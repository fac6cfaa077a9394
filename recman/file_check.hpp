// A full check of a record file, for the record file utility: every record
// has its entry in every index it belongs to, every index entry leads to a
// record whose key it carries, and the stored counts and next position agree
// with what is there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vela::recman {

struct CheckReport {
    int16_t status = 0;  // the status of opening or reading the file; 0 when readable
    uint32_t records = 0;
    std::vector<std::string> problems;  // empty when the file is sound

    bool Sound() const { return status == 0 && problems.empty(); }
};

CheckReport CheckRecordFile(const std::string& hostPath);

}  // namespace vela::recman
