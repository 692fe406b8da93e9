#include "infra/column_names.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "value/text.h"

namespace ocg {
namespace {

// A hash that names equal without regard to ASCII case share: every byte is
// read with its 0x20 bit set, which is all that tells 'A' from 'a'. Eight
// bytes at a time, as this runs for every field read.
uint64_t CaseBlindHash(std::string_view name) {
  constexpr uint64_t kLowerBits = 0x2020202020202020u;
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  uint64_t h = name.size() * kMultiplier;
  for (size_t i = 0; i < name.size(); i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, name.data() + i, std::min<size_t>(8, name.size() - i));
    h = (h ^ (word | kLowerBits)) * kMultiplier;
    h ^= h >> 29;
  }
  return h;
}

}  // namespace

// An open-addressing table of positions by name, so that a field read hashes
// its name once and usually compares it with one column, byte for byte.
struct ColumnNames::Index {
  std::vector<std::string> names;
  std::vector<uint32_t> slots;  // a position + 1, or 0 for none; a power of two long

  size_t Lookup(std::string_view name, uint64_t h) const {
    const size_t mask = slots.size() - 1;
    for (size_t s = h & mask; slots[s] != 0; s = (s + 1) & mask) {
      const std::string& column = names[slots[s] - 1];
      if (column.size() == name.size() &&
          (std::memcmp(column.data(), name.data(), name.size()) == 0 ||
           EqualsIgnoreCase(column, name))) {
        return slots[s] - 1;
      }
    }
    return kNone;
  }
};

ColumnNames::ColumnNames(std::vector<std::string> names) {
  auto index = std::make_shared<Index>();
  index->names = std::move(names);
  size_t capacity = 8;
  while (capacity < 2 * index->names.size()) capacity *= 2;
  index->slots.assign(capacity, 0);
  // Inserted in column order: a lookup probes a name's slots in the order
  // they were filled, so of names that differ only in case it finds the
  // first, as a reader going through the columns in order would.
  for (size_t i = 0; i < index->names.size(); ++i) {
    size_t s = CaseBlindHash(index->names[i]) & (capacity - 1);
    while (index->slots[s] != 0) s = (s + 1) & (capacity - 1);
    index->slots[s] = static_cast<uint32_t>(i + 1);
  }
  index_ = std::move(index);
}

size_t ColumnNames::Find(std::string_view name) const {
  if (index_ == nullptr) return kNone;
  return index_->Lookup(name, CaseBlindHash(name));
}

const std::vector<std::string>& ColumnNames::names() const {
  static const std::vector<std::string> kNoNames;
  return index_ == nullptr ? kNoNames : index_->names;
}

}  // namespace ocg
