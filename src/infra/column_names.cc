#include "infra/column_names.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "value/text.h"

namespace ocg {
namespace {

uint64_t Load8(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Up to eight bytes as one number: two overlapping four-byte reads, or one
// byte at a time for names shorter than four.
uint64_t LoadShort(const char* p, size_t n) {
  if (n >= 4) {
    uint32_t first, last;
    std::memcpy(&first, p, sizeof first);
    std::memcpy(&last, p + n - 4, sizeof last);
    return static_cast<uint64_t>(last) << 32 | first;
  }
  uint64_t word = 0;
  for (size_t i = 0; i < n; ++i) word |= static_cast<uint64_t>(static_cast<uint8_t>(p[i])) << 8 * i;
  return word;
}

// A hash that names equal without regard to ASCII case share: every byte is
// read with its 0x20 bit set, which is all that tells 'A' from 'a'. It reads
// the length and the first and last eight bytes only, as this runs for every
// field read; names alike there cost a second compare, nothing more.
uint64_t CaseBlindHash(std::string_view name) {
  constexpr uint64_t kLowerBits = 0x2020202020202020u;
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  const size_t n = name.size();
  const uint64_t first = n >= 8 ? Load8(name.data()) : LoadShort(name.data(), n);
  const uint64_t last = n >= 8 ? Load8(name.data() + n - 8) : 0;
  uint64_t h = (n ^ (first | kLowerBits)) * kMultiplier;
  h = (h ^ (h >> 29) ^ (last | kLowerBits)) * kMultiplier;
  return h ^ (h >> 32);
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
