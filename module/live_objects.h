// The registry of native objects that scripts hold.
//
// A script value carries a token, never a raw object pointer: the host hands
// back whatever pointer a value holds, and a value may be of another kind, or
// outlive its object. Tokens are odd numbers that are never reused, so no
// aligned pointer and no earlier object's token can ever name a live object.
#ifndef MAPWRIGHT_MODULE_LIVE_OBJECTS_H
#define MAPWRIGHT_MODULE_LIVE_OBJECTS_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace mapwright {

enum class ObjectKind : std::uint8_t { kTokenReader, kDocument, kEntity };

class LiveObjects {
 public:
  void* Add(ObjectKind kind, void* object);
  // The object behind token when it is alive and of that kind, else null.
  void* Find(const void* token, ObjectKind kind) const;
  // Forgets the token; returns its object as Find would.
  void* Remove(const void* token, ObjectKind kind);
  std::size_t Count() const { return objects_.size(); }

 private:
  struct Entry {
    ObjectKind kind;
    void* object;
  };
  std::unordered_map<std::uintptr_t, Entry> objects_;
  std::uintptr_t nextToken_ = 1;
};

LiveObjects& TheLiveObjects();

}  // namespace mapwright

#endif
