#pragma once
// Object records on the generic level: class name and raw property blobs in
// stored order, without knowing the class. Used by tools that show or edit
// records of any class, known or not.
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/Stream.h"

struct TZmRawRecord {
  std::string ClassName;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> Properties;  // name, blob (tag first)
};

// Parses the record at `pos` of `data`; End is an offset within `data`.
// Strict: End must equal the position after the last entry. On failure
// returns false and leaves `pos` unchanged.
bool ParseRawRecord(std::span<const uint8_t> data, size_t& pos, TZmRawRecord& out);
// Appends the record to `out`; End becomes an offset within `out`.
void WriteRawRecord(TZmStream& out, const TZmRawRecord& record);

// An object list: owner class name and the child records. Parses only when
// the bytes are exactly such a list.
struct TZmRawList {
  std::string OwnerClass;
  std::vector<TZmRawRecord> Items;
};
bool ParseRawList(std::span<const uint8_t> data, TZmRawList& out);
void WriteRawList(TZmStream& out, const TZmRawList& list);
