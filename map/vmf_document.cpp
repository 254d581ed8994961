#include "map/vmf_document.h"

namespace mapwright {

VMFEntity& VMFDocument::AddEntity() {
  return entities_.emplace_back(texts_, entities_.size());
}

void VMFDocument::AddWorldKey(std::string_view key, std::string_view value) {
  worldKeys_.push_back({texts_.Intern(key), texts_.Store(value)});
}

const KeyValue* VMFDocument::FindWorldKey(std::string_view key) const {
  for (const KeyValue& pair : worldKeys_) {
    if (key == pair.key) return &pair;
  }
  return nullptr;
}

VMFEntity* VMFDocument::FindByClass(std::string_view classname) {
  for (VMFEntity& entity : entities_) {
    if (classname == entity.classname) return &entity;
  }
  return nullptr;
}

VMFEntity* VMFDocument::FindByName(std::string_view name) {
  for (VMFEntity& entity : entities_) {
    if (name == entity.targetname) return &entity;
  }
  return nullptr;
}

VMFEntity* VMFDocument::FindByID(std::int32_t id) {
  for (VMFEntity& entity : entities_) {
    if (entity.id == id) return &entity;
  }
  return nullptr;
}

void VMFDocument::Clear() {
  entities_.clear();
  entities_.shrink_to_fit();
  worldKeys_.clear();
  worldKeys_.shrink_to_fit();
  texts_.Clear();
  ++generation_;
}

}  // namespace mapwright
