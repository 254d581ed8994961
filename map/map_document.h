// A map in memory: its entities in file order and the pairs of its world
// block. Entities never move once created, so pointers to them stay valid
// until the document is cleared or destroyed.
#ifndef MAPWRIGHT_MAP_MAP_DOCUMENT_H
#define MAPWRIGHT_MAP_MAP_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "map/map_entity.h"
#include "map/text_pool.h"

namespace mapwright {

class MapDocument {
 public:
  MapDocument() = default;
  MapDocument(const MapDocument&) = delete;
  MapDocument& operator=(const MapDocument&) = delete;

  // Appends a new entity without name, class or id.
  MapEntity& AddEntity();
  std::size_t EntityCount() const { return entities_.size(); }
  MapEntity& Entity(std::size_t i) { return entities_[i]; }
  const MapEntity& Entity(std::size_t i) const { return entities_[i]; }

  void AddWorldKey(std::string_view key, std::string_view value);
  std::size_t WorldKeyCount() const { return worldKeys_.size(); }
  const KeyValue& WorldKey(std::size_t i) const { return worldKeys_[i]; }
  const KeyValue* FindWorldKey(std::string_view key) const;

  // The first entity in list order that matches, or null.
  MapEntity* FindByClass(std::string_view classname);
  MapEntity* FindByName(std::string_view name);
  MapEntity* FindByID(std::int32_t id);

  // The first entity at or after index start whose name (class) matches the
  // pattern as the engine matches it: ASCII letters without regard to case,
  // and a '*' at the end matches any rest. Null when there is none.
  MapEntity* FindNextByName(std::string_view pattern, std::size_t start);
  MapEntity* FindNextByClass(std::string_view pattern, std::size_t start);

  // Destroys every entity and world pair.
  void Clear();
  // Changes whenever Clear destroys the entities.
  std::uint64_t Generation() const { return generation_; }

  TextPool& Texts() { return texts_; }
  const TextPool& Texts() const { return texts_; }

 private:
  TextPool texts_;
  std::deque<MapEntity> entities_;
  std::vector<KeyValue> worldKeys_;
  std::uint64_t generation_ = 0;
};

// Whether text matches pattern as FindNextByName matches.
bool MatchesPattern(std::string_view text, std::string_view pattern);

}  // namespace mapwright

#endif
