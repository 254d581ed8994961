// The registry of native objects that scripts hold.
//
// A script value carries a token, never a raw object pointer: the host hands
// back whatever pointer a value holds, and a value may be of another kind, or
// outlive its object. A token names a slot and the generation of the slot's
// current object; its lowest bit is set, so no aligned pointer is ever a
// token. A slot is reused only under a new generation, and retired when its
// generations run out, so a token is never issued twice.
#ifndef MAPWRIGHT_MODULE_LIVE_OBJECTS_H
#define MAPWRIGHT_MODULE_LIVE_OBJECTS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mapwright {

enum class ObjectKind : std::uint8_t { kTokenReader, kDocument, kEntity };

class LiveObjects {
 public:
  // The new object's token. Throws std::bad_alloc when no slot is left.
  void* Add(ObjectKind kind, void* object);
  // The object behind token when it is alive and of that kind, else null.
  void* Find(const void* token, ObjectKind kind) const;
  // Forgets the token; returns its object as Find would.
  void* Remove(const void* token, ObjectKind kind);
  std::size_t Count() const { return live_; }

 private:
  struct Slot {
    void* object = nullptr;
    std::uintptr_t generation = 0;
    ObjectKind kind = ObjectKind::kTokenReader;
    bool live = false;
  };
  const Slot* SlotOf(const void* token, ObjectKind kind) const;

  std::vector<Slot> slots_;
  std::vector<std::size_t> free_;
  std::size_t live_ = 0;
};

LiveObjects& TheLiveObjects();

}  // namespace mapwright

#endif
