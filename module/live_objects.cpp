#include "module/live_objects.h"

namespace mapwright {

void* LiveObjects::Add(ObjectKind kind, void* object) {
  std::uintptr_t token = nextToken_;
  nextToken_ += 2;
  objects_.emplace(token, Entry{kind, object});
  return reinterpret_cast<void*>(token);
}

void* LiveObjects::Find(const void* token, ObjectKind kind) const {
  auto found = objects_.find(reinterpret_cast<std::uintptr_t>(token));
  if (found == objects_.end() || found->second.kind != kind) return nullptr;
  return found->second.object;
}

void* LiveObjects::Remove(const void* token, ObjectKind kind) {
  auto found = objects_.find(reinterpret_cast<std::uintptr_t>(token));
  if (found == objects_.end() || found->second.kind != kind) return nullptr;
  void* object = found->second.object;
  objects_.erase(found);
  return object;
}

LiveObjects& TheLiveObjects() {
  static LiveObjects registry;  // built on first use, not at load
  return registry;
}

}  // namespace mapwright
