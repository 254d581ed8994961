#include "map/map_document.h"

#include "map/name_table.h"

namespace mapwright {

MapEntity& MapDocument::AddEntity() {
  return entities_.emplace_back(texts_, entities_.size());
}

void MapDocument::AddWorldKey(std::string_view key, std::string_view value) {
  worldKeys_.push_back({texts_.Intern(key), texts_.Store(value)});
}

const KeyValue* MapDocument::FindWorldKey(std::string_view key) const {
  for (const KeyValue& pair : worldKeys_) {
    if (key == pair.key) return &pair;
  }
  return nullptr;
}

MapEntity* MapDocument::FindByClass(std::string_view classname) {
  for (MapEntity& entity : entities_) {
    if (classname == entity.classname) return &entity;
  }
  return nullptr;
}

MapEntity* MapDocument::FindByName(std::string_view name) {
  for (MapEntity& entity : entities_) {
    if (name == entity.targetname) return &entity;
  }
  return nullptr;
}

MapEntity* MapDocument::FindByID(std::int32_t id) {
  for (MapEntity& entity : entities_) {
    if (entity.id == id) return &entity;
  }
  return nullptr;
}

bool MatchesPattern(std::string_view text, std::string_view pattern) {
  if (!pattern.empty() && pattern.back() == '*') {
    pattern.remove_suffix(1);
    return text.size() >= pattern.size() && SameName(text.substr(0, pattern.size()), pattern);
  }
  return SameName(text, pattern);
}

MapEntity* MapDocument::FindNextByName(std::string_view pattern, std::size_t start) {
  for (std::size_t i = start; i < entities_.size(); ++i) {
    if (MatchesPattern(entities_[i].targetname, pattern)) return &entities_[i];
  }
  return nullptr;
}

MapEntity* MapDocument::FindNextByClass(std::string_view pattern, std::size_t start) {
  for (std::size_t i = start; i < entities_.size(); ++i) {
    if (MatchesPattern(entities_[i].classname, pattern)) return &entities_[i];
  }
  return nullptr;
}

void MapDocument::Clear() {
  entities_.clear();
  entities_.shrink_to_fit();
  worldKeys_.clear();
  worldKeys_.shrink_to_fit();
  texts_.Clear();
  ++generation_;
}

}  // namespace mapwright
