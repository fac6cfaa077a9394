// Test support for record files: create buffers written as tables of
// segments, and thin wrappers over RecordManagerCall that keep tests short.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "recman/record_manager.hpp"

namespace vela::testing {

struct SegmentDef {
    uint16_t position;  // 1-based
    uint16_t length;
    uint16_t flags;
    uint8_t nullValue = 0;
};

// One key per inner vector; the segmented flag is set on every segment but
// the last of a key.
std::vector<uint8_t> CreateBuffer(uint16_t recordLength,
                                  const std::vector<std::vector<SegmentDef>>& keys,
                                  const std::string& collatingTable = "", uint16_t pageSize = 4096);

// A collating table that folds a-z to A-Z ("UPPER").
std::string UpperTable();

// One opening of a file.
class RecordFileClient {
  public:
    RecordFileClient() { block.fill(0); }
    ~RecordFileClient();
    RecordFileClient(const RecordFileClient&) = delete;
    RecordFileClient& operator=(const RecordFileClient&) = delete;

    int16_t Open(const std::string& path, int8_t mode = 0, const std::string& owner = "");
    int16_t Close();
    int16_t Insert(const std::string& record, int8_t keyNumber = 0);
    int16_t Update(const std::string& record);
    int16_t Delete();
    // A keyed read: key is padded with zero bytes to keyLength.
    int16_t Get(uint16_t operation, int8_t keyNumber, const std::string& key = "",
                uint8_t keyLength = 255);
    int16_t Direct(uint32_t position, int8_t keyNumber, uint16_t bias = 0);
    uint32_t Position();
    int16_t Stat(std::vector<uint8_t>& out);
    // Begin, End or Abort Transaction through this opening.
    int16_t Transaction(uint16_t operation);

    std::array<uint8_t, 128> block;
    std::string record;          // last record read
    std::string key;             // last key buffer returned (its full length)
    uint16_t dataLength = 1536;  // room offered for reads
};

int16_t CreateFile(const std::string& path, const std::vector<uint8_t>& buffer, int8_t mode = -1);

// A record of length bytes: text at 1-based position start, the rest blanks.
std::string Record(std::size_t length,
                   std::initializer_list<std::pair<std::size_t, std::string>> fields);

}  // namespace vela::testing
