// The registry of native objects that scripts hold.
//
// A script value carries a token, never a raw object pointer: the host hands
// back whatever pointer a value holds, and a value may be of another kind, or
// outlive its object. A token names a slot and the generation of the slot's
// current object (as many of its low bits as a pointer has room for); its
// lowest bit is set, so no aligned pointer is ever a token. The registry
// counts the script values that hold each token (Hold when one is pushed,
// Release when its finalizer runs), and reuses a slot, under a new
// generation, only once its object is gone and no value holds its token: a
// token is never issued again while a value can hand it back, and slots never
// run out, however many handles a process makes. (A script that calls a
// finalizer by hand on a live value defeats the count; the generation then
// still keeps its token from naming a newer object for 2^11 reuses of the
// slot on 32-bit builds, 2^31 on 64-bit ones.)
//
// Lifetimes have one mechanism: shared ownership. The registry holds a share
// of every object a script owns (token readers, documents) and drops it when
// the script's value is collected; a method that runs script code takes a
// share of its own, so the object outlives a collection under its feet. An
// entity or block is borrowed from its document, which revokes its token
// before it goes.
#ifndef MAPWRIGHT_BINDINGS_LIVE_OBJECTS_H
#define MAPWRIGHT_BINDINGS_LIVE_OBJECTS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace mapwright {

enum class ObjectKind : std::uint8_t { kTokenReader, kDocument, kEntity, kBlock };

class LiveObjects {
 public:
  // Generation bits per token: the default fills a pointer.
  explicit LiveObjects(int generationBits = kGenerationBits);
  ~LiveObjects();
  LiveObjects(const LiveObjects&) = delete;
  LiveObjects& operator=(const LiveObjects&) = delete;

  // The token of an object the registry shares in. Throws std::bad_alloc
  // when no slot is left.
  [[nodiscard]] void* Add(ObjectKind kind, std::shared_ptr<void> object);
  // The token of an object owned elsewhere.
  [[nodiscard]] void* AddBorrowed(ObjectKind kind, void* object);

  // The object behind token when it is alive and of that kind, else null.
  void* Find(const void* token, ObjectKind kind) const;
  // A share in the object behind token; empty when Find would give null or
  // the object is borrowed.
  std::shared_ptr<void> Share(const void* token, ObjectKind kind) const;

  // Forgets the token and drops the registry's share, which may destroy the
  // object (and let its destructor remove other tokens). False when the token
  // was not alive and of that kind.
  bool Remove(const void* token, ObjectKind kind);
  std::size_t Count() const { return live_; }

  // A script value holding the token was made, or finalized.
  void Hold(const void* token);
  void Release(const void* token);

  static constexpr int kIndexBits = sizeof(void*) >= 8 ? 31 : 20;
  static constexpr int kGenerationBits = static_cast<int>(sizeof(void*)) * 8 - kIndexBits - 1;

 private:
  struct Slot {
    void* object = nullptr;
    std::shared_ptr<void> owned;
    std::uint64_t generation = 0;
    std::uint32_t holders = 0;
    ObjectKind kind = ObjectKind::kTokenReader;
    bool live = false;
  };
  // The index of the slot a token names, whatever its state, and the
  // generation bits it carries; nothing when it names none.
  std::optional<std::size_t> Named(const void* token, std::uint64_t& generation) const;
  const Slot* SlotOf(const void* token, ObjectKind kind) const;
  void* Place(ObjectKind kind, void* object, std::shared_ptr<void> owned);
  void* TokenOf(std::size_t index) const;
  void FreeWhenUnheld(std::size_t index);

  std::uintptr_t generationMask_;

  std::vector<Slot> slots_;
  std::vector<std::size_t> free_;
  std::size_t live_ = 0;
};

LiveObjects& TheLiveObjects();

}  // namespace mapwright

#endif
