#include "map/name_table.h"

#include <cstring>

namespace mapwright {
namespace {

using Slot = std::uint64_t;

constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

std::uint32_t HashOf(std::string_view text) {
  std::uint32_t hash = kFnvOffset;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
  return hash;
}

// Hashes a terminated text and measures it in the same pass.
std::uint32_t HashAndMeasure(const char* text, std::uint32_t& length) {
  std::uint32_t hash = kFnvOffset;
  const char* p = text;
  for (; *p != '\0'; ++p) hash = (hash ^ static_cast<unsigned char>(*p)) * kFnvPrime;
  length = static_cast<std::uint32_t>(p - text);
  return hash;
}

std::size_t CapacityFor(std::size_t names) {
  std::size_t capacity = 16;
  while (capacity < names * 2) capacity *= 2;
  return capacity;
}

Slot MakeSlot(std::uint32_t hash, std::size_t entry) {
  return (static_cast<std::uint64_t>(hash) << 32) | static_cast<std::uint64_t>(entry + 1);
}

std::uint32_t SlotHash(std::uint64_t slot) {
  return static_cast<std::uint32_t>(slot >> 32);
}

std::size_t SlotEntry(std::uint64_t slot) {
  return static_cast<std::size_t>(slot & 0xffffffffu) - 1;
}

}  // namespace

NameTable::NameTable(std::size_t expectedNames)
    : slots_(CapacityFor(expectedNames), 0), mask_(slots_.size() - 1) {}

const char*& NameTable::Insert(std::string_view name) {
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  std::uint32_t hash = HashOf(name);
  for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
    Slot slot = slots_[i];
    if (slot == 0) {
      entries_.push_back({name.data(), static_cast<std::uint32_t>(name.size()), nullptr});
      slots_[i] = MakeSlot(hash, entries_.size() - 1);
      ++count_;
      prefixes_.set(PrefixOf(name.data()));
      return entries_.back().renamed;
    }
    Entry& entry = entries_[SlotEntry(slot)];
    if (SlotHash(slot) == hash && std::string_view(entry.name, entry.length) == name) {
      return entry.renamed;
    }
  }
}

const char* NameTable::Find(const char* text) const {
  if (!prefixes_[PrefixOf(text)]) return nullptr;
  std::uint32_t length = 0;
  std::uint32_t hash = HashAndMeasure(text, length);
  for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
    Slot slot = slots_[i];
    if (slot == 0) return nullptr;
    if (SlotHash(slot) != hash) continue;
    const Entry& entry = entries_[SlotEntry(slot)];
    // An entity's own "targetname" pair shares the very text of its name.
    if (entry.name == text) return entry.renamed;
    if (entry.length == length && std::memcmp(entry.name, text, length) == 0) return entry.renamed;
  }
}

void NameTable::Place(Slot slot) {
  std::size_t i = SlotHash(slot) & mask_;
  while (slots_[i] != 0) i = (i + 1) & mask_;
  slots_[i] = slot;
}

void NameTable::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.size() * 2, 0);
  mask_ = slots_.size() - 1;
  for (Slot slot : old) {
    if (slot != 0) Place(slot);
  }
}

}  // namespace mapwright
