#include "map/model/map_document.h"

#include <algorithm>
#include <memory>

#include "map/model/name_table.h"

namespace mapwright {

MapEntity& MapDocument::AddEntity() {
  MapEntity* made;
  if (!freeSlots_.empty()) {
    // A made entity that was removed leaves its room to the next one.
    const std::size_t slot = freeSlots_.back();
    freeSlots_.pop_back();
    made = &entities_[slot];
    made->ReleaseTexts();
    std::destroy_at(made);
    std::construct_at(made, *this, texts_, lists_, edits_, slot);
  } else {
    made = &entities_.emplace_back(*this, texts_, lists_, edits_, entities_.size());
  }
  MapEntity& entity = *made;
  order_.push_back(&entity);
  edits_.Bump();
  if (blocks_ != nullptr) blocks_->EntityAdded(entity);
  return entity;
}

std::vector<const MapEntity*> MapDocument::RemoveEntity(const MapEntity& entity) {
  std::vector<const MapEntity*> removed;
  // Searched from both ends at once, as scripts remove from either.
  auto found = order_.end();
  for (std::size_t front = 0, back = order_.size(); front < back; ++front) {
    if (order_[front] == &entity) {
      found = order_.begin() + static_cast<std::ptrdiff_t>(front);
      break;
    }
    if (order_[--back] == &entity) {
      found = order_.begin() + static_cast<std::ptrdiff_t>(back);
      break;
    }
  }
  if (found == order_.end() || !entity.Live()) return removed;
  const EntityLayout& outer = entity.layout;
  auto inside = [&outer, &entity](const MapEntity* other) {
    return other == &entity ||
           (outer.read && other->layout.read && other->layout.blockAt > outer.blockAt &&
            other->layout.blockAt < outer.blockEnd);
  };
  // Entities inside an entity's block are rare: the order list is searched
  // from the entity on, and kept in one pass only when there are any.
  auto next = found + 1;
  while (next != order_.end() && inside(*next)) ++next;
  MapEntity* taken = *found;
  for (auto gone = found; gone != next; ++gone) {
    (*gone)->live_ = false;
    removals_.entities.push_back(*gone);
  }
  removed.assign(found, next);
  order_.erase(found, next);
  edits_.Bump();
  // The tree takes the entity's block, and with it any entity made inside.
  if (blocks_ != nullptr) blocks_->EntityRemoved(*taken);
  return removed;
}

void MapDocument::AddWorldKey(std::string_view key, std::string_view value,
                              const SourcePlace& place) {
  CompactPairs(worldKeys_, markedWorldKeys_, worldIndex_);
  worldKeys_.push_back({texts_.Intern(key), texts_.Store(value), place});
  worldIndex_.reset();
}

void MapDocument::NoteIdWritten(std::string_view block, bool inVisgroups, std::string_view key,
                                std::string_view value) {
  if (blocks_ != nullptr) blocks_->idsInUse.runs.See(block, inVisgroups, key, value);
}

bool MapDocument::SetWorldKey(std::string_view key, std::string_view value) {
  bool stored = SetPairs(worldKeys_, worldIndex_, texts_, key, value,
                         [this](std::string_view pairKey, const char* text) {
                           NoteIdWritten("world", false, pairKey, text);
                         });
  if (stored) edits_.Bump();
  return stored;
}

bool MapDocument::AddNewWorldKey(std::string_view key, std::string_view value) {
  if (!FitsInQuotes(key) || !FitsInQuotes(value)) return false;
  KeyValue& added = worldKeys_.emplace_back(KeyValue{texts_.Intern(key), ""});
  added.value = OwnValue(texts_, added.place, nullptr, value);
  if (worldIndex_ != nullptr) worldIndex_->Add(key, worldKeys_.size() - 1);
  NoteIdWritten("world", false, key, value);
  edits_.Bump();
  return true;
}

void MapDocument::RemoveWorldKey(std::string_view key) {
  auto gone = [](const KeyValue&) {};
  if (worldIndex_ == nullptr && worldKeys_.size() >= PairIndex::kLongList) {
    worldIndex_ = IndexOf(worldKeys_);
  }
  if (worldIndex_ != nullptr) {
    if (!MarkPairs(worldKeys_, *worldIndex_, key, texts_, worldCuts_, gone, markedWorldKeys_)) {
      return;
    }
  } else if (!RemovePairs(worldKeys_, key, texts_, worldCuts_, gone)) {
    return;
  }
  edits_.Bump();
}

bool MapDocument::SetWorldValue(std::size_t i, std::string_view value) {
  if (!FitsInQuotes(value)) return false;
  CompactPairs(worldKeys_, markedWorldKeys_, worldIndex_);
  worldKeys_[i].value = OwnValue(texts_, worldKeys_[i].place, worldKeys_[i].value, value);
  worldKeys_[i].place.edited = true;
  NoteIdWritten("world", false, worldKeys_[i].key, value);
  edits_.Bump();
  return true;
}

// The block's text goes as a whole; what stood in it needs no cut of its own.
void MapDocument::RemoveWorld() {
  worldKeys_.clear();
  markedWorldKeys_ = 0;
  worldIndex_.reset();
  layout.hasWorld = false;
  layout.worldBlockAdded = false;
  edits_.Bump();
}

Removals MapDocument::TakeRemovals() {
  for (const MapEntity* entity : removals_.entities) {
    if (!entity->layout.read) freeSlots_.push_back(entity->Serial());
  }
  if (blocks_ != nullptr) {
    for (const MapBlock* block : removals_.blocks) blocks_->Recycle(*block);
  }
  return std::exchange(removals_, {});
}

BlockTree& MapDocument::StartBlocks() {
  blocks_ = std::make_unique<BlockTree>(*this, lists_);
  readCursor_ = 0;
  return *blocks_;
}

MapEntity* MapDocument::NextReadEntity(std::size_t at) {
  if (readCursor_ >= entities_.size()) return nullptr;
  MapEntity& entity = entities_[readCursor_];
  if (!entity.layout.read || entity.layout.blockAt != at) return nullptr;
  ++readCursor_;
  return &entity;
}

int MapDocument::LineOf(std::size_t offset) const {
  if (lines_ == nullptr) lines_ = std::make_unique<LineIndex>(Source());
  return lines_->LineOf(offset);
}

MapEntity* MapDocument::FindByClass(std::string_view classname) {
  for (MapEntity* entity : order_) {
    if (classname == entity->Class()) return entity;
  }
  return nullptr;
}

MapEntity* MapDocument::FindByName(std::string_view name) {
  for (MapEntity* entity : order_) {
    if (name == entity->Name()) return entity;
  }
  return nullptr;
}

MapEntity* MapDocument::FindByID(std::int32_t id) {
  for (MapEntity* entity : order_) {
    if (entity->Id() == id) return entity;
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

std::optional<std::size_t> MapDocument::FindNext(const char* (MapEntity::*field)() const,
                                                 std::string_view pattern,
                                                 std::size_t start) const {
  for (std::size_t i = start; i < order_.size(); ++i) {
    if (MatchesPattern((order_[i]->*field)(), pattern)) return i;
  }
  return std::nullopt;
}

void MapDocument::KeepSource(const std::shared_ptr<const TextBuffer>& source) {
  if (source == nullptr || source == source_) return;
  if (std::find(keptSources_.begin(), keptSources_.end(), source) == keptSources_.end()) {
    keptSources_.push_back(source);
  }
}

void MapDocument::Clear() {
  blocks_.reset();
  lines_.reset();
  removals_ = {};
  freeSlots_.clear();
  worldCuts_.clear();
  worldCuts_.shrink_to_fit();
  entities_.clear();
  entities_.shrink_to_fit();
  order_.clear();
  order_.shrink_to_fit();
  worldKeys_.clear();
  worldKeys_.shrink_to_fit();
  markedWorldKeys_ = 0;
  worldIndex_.reset();
  texts_.Clear();
  lists_.Reset();
  source_.reset();
  keptSources_.clear();
  keptSources_.shrink_to_fit();
  layout = DocumentLayout();
  ++generation_;
  edits_.Bump();
}

}  // namespace mapwright
