#include "bindings/live_objects.h"

#include <new>
#include <optional>
#include <utility>

namespace mapwright {
namespace {

constexpr int kIndexBits = LiveObjects::kIndexBits;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;

}  // namespace

LiveObjects::LiveObjects(int generationBits)
    : generationMask_((std::uintptr_t{1} << generationBits) - 1) {}

void* LiveObjects::TokenOf(std::size_t index) const {
  auto generation = static_cast<std::uintptr_t>(slots_[index].generation) & generationMask_;
  std::uintptr_t bits = (generation << (kIndexBits + 1)) | (index << 1) | 1;
  return reinterpret_cast<void*>(bits);
}

void* LiveObjects::Add(ObjectKind kind, std::shared_ptr<void> object) {
  void* pointer = object.get();
  return Place(kind, pointer, std::move(object));
}

void* LiveObjects::AddBorrowed(ObjectKind kind, void* object) {
  return Place(kind, object, nullptr);
}

void* LiveObjects::Place(ObjectKind kind, void* object, std::shared_ptr<void> owned) {
  std::size_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    if (slots_.size() > kIndexMask) throw std::bad_alloc();
    index = slots_.size();
    slots_.emplace_back();
  }
  Slot& slot = slots_[index];
  slot.object = object;
  slot.owned = std::move(owned);
  slot.kind = kind;
  slot.live = true;
  ++live_;
  return TokenOf(index);
}

std::optional<std::size_t> LiveObjects::Named(const void* token, std::uint64_t& generation) const {
  auto bits = reinterpret_cast<std::uintptr_t>(token);
  if ((bits & 1) == 0) return std::nullopt;
  std::size_t index = (bits >> 1) & kIndexMask;
  if (index >= slots_.size()) return std::nullopt;
  generation = bits >> (kIndexBits + 1);
  return index;
}

const LiveObjects::Slot* LiveObjects::SlotOf(const void* token, ObjectKind kind) const {
  std::uint64_t generation = 0;
  std::optional<std::size_t> index = Named(token, generation);
  if (!index) return nullptr;
  const Slot& slot = slots_[*index];
  if (!slot.live || slot.kind != kind || (slot.generation & generationMask_) != generation) {
    return nullptr;
  }
  return &slot;
}

void* LiveObjects::Find(const void* token, ObjectKind kind) const {
  const Slot* slot = SlotOf(token, kind);
  return slot != nullptr ? slot->object : nullptr;
}

std::shared_ptr<void> LiveObjects::Share(const void* token, ObjectKind kind) const {
  const Slot* slot = SlotOf(token, kind);
  return slot != nullptr ? slot->owned : nullptr;
}

bool LiveObjects::Remove(const void* token, ObjectKind kind) {
  const Slot* found = SlotOf(token, kind);
  if (found == nullptr) return false;
  std::size_t index = static_cast<std::size_t>(found - slots_.data());
  Slot& slot = slots_[index];
  // The share is dropped last, when the registry is consistent again: the
  // object's destructor may remove tokens of its own.
  std::shared_ptr<void> dropped = std::move(slot.owned);
  slot.object = nullptr;
  slot.live = false;
  --live_;
  ++slot.generation;
  FreeWhenUnheld(index);
  return true;
}

void LiveObjects::FreeWhenUnheld(std::size_t index) {
  if (!slots_[index].live && slots_[index].holders == 0) free_.push_back(index);
}

void LiveObjects::Hold(const void* token) {
  std::uint64_t generation = 0;
  std::optional<std::size_t> index = Named(token, generation);
  if (!index) return;
  Slot& slot = slots_[*index];
  if (slot.live && (slot.generation & generationMask_) == generation) ++slot.holders;
}

// The token's object may be gone: its slot then waits, one generation on,
// for its last holder.
void LiveObjects::Release(const void* token) {
  std::uint64_t generation = 0;
  std::optional<std::size_t> index = Named(token, generation);
  if (!index) return;
  Slot& slot = slots_[*index];
  if (slot.holders == 0) return;
  std::uint64_t issued = slot.live ? slot.generation : slot.generation - 1;
  if ((issued & generationMask_) != generation) return;
  --slot.holders;
  FreeWhenUnheld(*index);
}

// Objects a script still holds when the module is unloaded go last, when the
// registry is empty: their destructors may remove tokens of their own.
LiveObjects::~LiveObjects() {
  std::vector<std::shared_ptr<void>> owned;
  for (Slot& slot : slots_) {
    if (slot.owned != nullptr) owned.push_back(std::move(slot.owned));
  }
  slots_.clear();
  free_.clear();
  live_ = 0;
}

LiveObjects& TheLiveObjects() {
  static LiveObjects registry;  // built on first use, not at load
  return registry;
}

}  // namespace mapwright
