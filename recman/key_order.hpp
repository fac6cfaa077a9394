// How a key orders. A key's value is the concatenation of its segments as
// they stand in the record. Its order bytes compare byte by byte, unsigned,
// in the key's order: a binary segment is an unsigned little-endian integer,
// so its bytes are reversed; a collating segment is translated through the
// file's table; a descending segment is complemented so that it orders in
// reverse. Index entries are the order bytes followed by the record's
// position, big-endian, so records with equal keys keep the order in which
// they were inserted.
#pragma once

#include <cstdint>
#include <string>

#include "recman/file_layout.hpp"

namespace vela::recman {

inline constexpr std::size_t kEntryPositionSize = 4;

// The key value of record (at least layout.recordLength bytes) along key.
std::string KeyValueOf(const KeyDefinition& key, const uint8_t* record);

// Order bytes of a key value of exactly key.length bytes, appended to out.
void AppendOrderBytes(const FileLayout& layout, const KeyDefinition& key, const uint8_t* keyValue,
                      std::string& out);

// A null key (flag 0x08) whose segments all hold their null value is left
// out of the index.
bool IsNullKeyValue(const KeyDefinition& key, const uint8_t* keyValue);

void AppendPosition(std::string& out, uint32_t position);
uint32_t EntryPosition(const void* entry, std::size_t size);

}  // namespace vela::recman
