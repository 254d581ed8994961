#include "map/model/name_table.h"

#include <algorithm>

#include "map/model/seeded_hash.h"

namespace mapwright {
namespace {

using Slot = std::uint64_t;

inline std::uint64_t Mix(std::uint64_t x) {
  return MixBits(x);
}

std::size_t CapacityFor(std::size_t names) {
  std::size_t capacity = 16;
  while (capacity < names * 2) capacity *= 2;
  return capacity;
}

Slot MakeSlot(std::uint32_t hash, std::size_t entry) {
  return (static_cast<std::uint64_t>(hash) << 32) | static_cast<std::uint64_t>(entry + 1);
}

std::uint32_t SlotHash(Slot slot) {
  return static_cast<std::uint32_t>(slot >> 32);
}

std::size_t SlotEntry(Slot slot) {
  return static_cast<std::size_t>(slot & 0xffffffffu) - 1;
}

}  // namespace

NameTable::NameTable(std::size_t expectedNames)
    : seed_(NewSeed(this)), slots_(CapacityFor(expectedNames), 0), mask_(slots_.size() - 1) {}

std::size_t NameTable::PrefixOf(const char* text) {
  unsigned first = FoldCase(text[0]);
  unsigned second = first == 0 ? 0u : FoldCase(text[1]);
  return (first << 8) | second;
}

// A seeded multiply-xor hash of the folded bytes, mixed at the end; measures
// the text in the same pass.
std::uint32_t NameTable::Hash(const char* text, std::size_t& length) const {
  std::uint64_t hash = seed_;
  const char* p = text;
  for (; *p != '\0'; ++p) hash = (hash ^ FoldCase(*p)) * 0x100000001b3ull;
  length = static_cast<std::size_t>(p - text);
  return static_cast<std::uint32_t>(Mix(hash ^ length));
}

std::uint32_t NameTable::Hash(std::string_view text) const {
  std::uint64_t hash = seed_;
  for (char c : text) hash = (hash ^ FoldCase(c)) * 0x100000001b3ull;
  return static_cast<std::uint32_t>(Mix(hash ^ text.size()));
}

void NameTable::Insert(std::string_view name) {
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  std::uint32_t hash = Hash(name);
  for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
    Slot slot = slots_[i];
    if (slot == 0) {
      entries_.push_back({name.data(), static_cast<std::uint32_t>(name.size()), nullptr});
      slots_[i] = MakeSlot(hash, entries_.size() - 1);
      ++count_;
      prefixes_.set(PrefixOf(name.data()));
      return;
    }
    const Entry& entry = entries_[SlotEntry(slot)];
    if (SlotHash(slot) == hash && SameName({entry.name, entry.length}, name)) return;
  }
}

const NameTable::Entry* NameTable::Find(const char* text) const {
  if (!prefixes_[PrefixOf(text)]) return nullptr;
  std::size_t length = 0;
  std::uint32_t hash = Hash(text, length);
  return Probe(hash, {text, length});
}

const NameTable::Entry* NameTable::Find(std::string_view text) const {
  if (text.empty()) return nullptr;
  unsigned first = FoldCase(text[0]);
  unsigned second = text.size() > 1 ? FoldCase(text[1]) : 0u;
  if (!prefixes_[(first << 8) | second]) return nullptr;
  return Probe(Hash(text), text);
}

const NameTable::Entry* NameTable::Probe(std::uint32_t hash, std::string_view text) const {
  for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
    Slot slot = slots_[i];
    if (slot == 0) return nullptr;
    if (SlotHash(slot) != hash) continue;
    const Entry& entry = entries_[SlotEntry(slot)];
    if (SameName({entry.name, entry.length}, text)) return &entry;
  }
}

void NameTable::Place(Slot slot) {
  std::size_t i = SlotHash(slot) & mask_;
  while (slots_[i] != 0) i = (i + 1) & mask_;
  slots_[i] = slot;
}

std::size_t NameTable::LongestProbe() const {
  std::size_t longest = 0;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i] != 0) longest = std::max(longest, ((i - SlotHash(slots_[i])) & mask_) + 1);
  }
  return longest;
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
