#include "tests/recman/record_file_support.hpp"

#include <cstring>

namespace vela::testing {

std::vector<uint8_t> CreateBuffer(uint16_t recordLength,
                                  const std::vector<std::vector<SegmentDef>>& keys,
                                  const std::string& collatingTable, uint16_t pageSize) {
    std::vector<uint8_t> out(16, 0);
    auto put16 = [&](std::size_t at, uint16_t v) {
        out[at] = static_cast<uint8_t>(v);
        out[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(0, recordLength);
    put16(2, pageSize);
    put16(4, static_cast<uint16_t>(keys.size()));
    for (std::size_t k = 0; k < keys.size(); ++k) {
        for (std::size_t s = 0; s < keys[k].size(); ++s) {
            const std::size_t at = out.size();
            out.resize(at + 16, 0);
            uint16_t flags = keys[k][s].flags;
            if (s + 1 < keys[k].size()) flags |= 0x10;
            put16(at, keys[k][s].position);
            put16(at + 2, keys[k][s].length);
            put16(at + 4, flags);
            out[at + 11] = keys[k][s].nullValue;
            out[at + 14] = static_cast<uint8_t>(k);
        }
    }
    if (!collatingTable.empty()) {
        out.push_back(0xAC);
        const char name[] = "UPPER   ";
        out.insert(out.end(), name, name + 8);
        out.insert(out.end(), collatingTable.begin(), collatingTable.end());
    }
    return out;
}

std::string UpperTable() {
    std::string table(256, '\0');
    for (int i = 0; i < 256; ++i) table[i] = static_cast<char>(i);
    for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<char>(c - 'a' + 'A');
    return table;
}

RecordFileClient::~RecordFileClient() { Close(); }

int16_t RecordFileClient::Open(const std::string& path, int8_t mode, const std::string& owner) {
    std::string name = path;
    name.push_back('\0');
    std::string ownerBuffer = owner;
    ownerBuffer.push_back('\0');
    uint16_t length = static_cast<uint16_t>(owner.empty() ? 0 : ownerBuffer.size());
    return RecordManagerCall(kOpOpen, block.data(), ownerBuffer.data(), &length, name.data(),
                             static_cast<uint8_t>(name.size()), mode);
}

int16_t RecordFileClient::Close() {
    uint16_t length = 0;
    return RecordManagerCall(kOpClose, block.data(), nullptr, &length, nullptr, 0, 0);
}

int16_t RecordFileClient::Insert(const std::string& data, int8_t keyNumber) {
    std::string copy = data;
    uint16_t length = static_cast<uint16_t>(copy.size());
    char keyBuffer[255] = {};
    const int16_t status =
        RecordManagerCall(kOpInsert, block.data(), copy.data(), &length, keyBuffer, 255, keyNumber);
    key.assign(keyBuffer, 255);
    return status;
}

int16_t RecordFileClient::Update(const std::string& data) {
    std::string copy = data;
    uint16_t length = static_cast<uint16_t>(copy.size());
    char keyBuffer[255] = {};
    return RecordManagerCall(kOpUpdate, block.data(), copy.data(), &length, keyBuffer, 255, 0);
}

int16_t RecordFileClient::Delete() {
    uint16_t length = 0;
    return RecordManagerCall(kOpDelete, block.data(), nullptr, &length, nullptr, 0, 0);
}

int16_t RecordFileClient::Get(uint16_t operation, int8_t keyNumber, const std::string& keyValue,
                              uint8_t keyLength) {
    std::vector<char> data(std::max<std::size_t>(dataLength, 1), ' ');
    std::vector<char> keyBuffer(std::max<std::size_t>(keyLength, 1), '\0');
    std::memcpy(keyBuffer.data(), keyValue.data(),
                std::min<std::size_t>(keyValue.size(), keyLength));
    uint16_t length = dataLength;
    const int16_t status = RecordManagerCall(operation, block.data(), data.data(), &length,
                                             keyBuffer.data(), keyLength, keyNumber);
    if (status == 0 || status == kStatusDataBufferLength) {
        record.assign(data.data(), length);
        key.assign(keyBuffer.data(), keyLength);
    }
    return status;
}

int16_t RecordFileClient::Direct(uint32_t position, int8_t keyNumber, uint16_t bias) {
    std::vector<char> data(std::max<std::size_t>(dataLength, 4), ' ');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(position >> (8 * i));
    char keyBuffer[255] = {};
    uint16_t length = dataLength;
    const int16_t status = RecordManagerCall(kOpGetDirect + bias, block.data(), data.data(),
                                             &length, keyBuffer, 255, keyNumber);
    if (status == 0 || status == kStatusDataBufferLength) {
        record.assign(data.data(), length);
        key.assign(keyBuffer, 255);
    }
    return status;
}

uint32_t RecordFileClient::Position() {
    uint8_t data[4] = {};
    uint16_t length = 4;
    if (RecordManagerCall(kOpGetPosition, block.data(), data, &length, nullptr, 0, 0) != 0) {
        return 0;
    }
    return uint32_t{data[0]} | (uint32_t{data[1]} << 8) | (uint32_t{data[2]} << 16) |
           (uint32_t{data[3]} << 24);
}

int16_t RecordFileClient::Stat(std::vector<uint8_t>& out) {
    out.assign(1536, 0);
    uint16_t length = 1536;
    char keyBuffer[255] = {};
    const int16_t status =
        RecordManagerCall(kOpStat, block.data(), out.data(), &length, keyBuffer, 255, 0);
    out.resize(length);
    return status;
}

int16_t RecordFileClient::Transaction(uint16_t operation) {
    uint16_t length = 0;
    return RecordManagerCall(operation, block.data(), nullptr, &length, nullptr, 0, 0);
}

int16_t CreateFile(const std::string& path, const std::vector<uint8_t>& buffer, int8_t mode) {
    std::array<uint8_t, 128> block{};
    std::string name = path;
    name.push_back('\0');
    std::vector<uint8_t> data = buffer;
    uint16_t length = static_cast<uint16_t>(data.size());
    return RecordManagerCall(kOpCreate, block.data(), data.data(), &length, name.data(),
                             static_cast<uint8_t>(name.size()), mode);
}

std::string Record(std::size_t length,
                   std::initializer_list<std::pair<std::size_t, std::string>> fields) {
    std::string out(length, ' ');
    for (const auto& [start, text] : fields) out.replace(start - 1, text.size(), text);
    return out;
}

}  // namespace vela::testing
