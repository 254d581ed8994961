// A map in memory: the text it was read from, its entities in document order
// and the pairs of its world block, with where each stands in that text.
// Entities never move once created, so pointers to them stay valid until the
// document is cleared or destroyed, also when they are removed.
#ifndef MAPWRIGHT_MAP_MODEL_MAP_DOCUMENT_H
#define MAPWRIGHT_MAP_MODEL_MAP_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "map/model/block_tree.h"
#include "map/model/line_index.h"
#include "map/model/map_entity.h"
#include "map/model/record_arena.h"
#include "map/model/text_buffer.h"
#include "map/model/text_pool.h"

namespace mapwright {

// Where the world block stands in the source and where new text goes.
struct DocumentLayout {
  std::string lineEnding = "\n";  // the source's first one
  bool hasWorld = false;
  std::size_t worldPairsEnd = 0;  // where new world pairs go
  int worldDepth = 0;
  std::size_t entitiesEnd = 0;   // where new entities go: after the last one's top block
  bool worldBlockAdded = false;  // a new world block is written even when it holds nothing
  // Blocks the text leaves open (a cut file): what is added after the text
  // comes after a closing brace for each.
  std::uint32_t openAtEnd = 0;
  // A string or block comment the end of the text cut off: closed before
  // anything is added after the text.
  bool stringOpenAtEnd = false;
  bool commentOpenAtEnd = false;
};

// What removals took out of a document, entities and blocks, since it was
// last asked.
struct Removals {
  std::vector<const MapEntity*> entities;
  std::vector<const MapBlock*> blocks;
};

class MapDocument {
 public:
  MapDocument() = default;
  MapDocument(const MapDocument&) = delete;
  MapDocument& operator=(const MapDocument&) = delete;

  // Appends a new entity without name, class or id.
  MapEntity& AddEntity();
  std::size_t EntityCount() const { return order_.size(); }
  MapEntity& Entity(std::size_t i) { return *order_[i]; }
  const MapEntity& Entity(std::size_t i) const { return *order_[i]; }
  // Takes the entity out of the document, its whole block with it, and with
  // it every entity read from inside that block; later entities move down.
  // The entities taken out; none when it is not one of the document's.
  std::vector<const MapEntity*> RemoveEntity(const MapEntity& entity);
  // Every entity read since the document was last cleared, removed ones
  // included, in the order read, then those made since: the room of a made
  // entity that was removed, once its removal was taken (TakeRemovals), goes
  // to the next one made.
  const std::deque<MapEntity>& AllEntities() const { return entities_; }

  // A world pair the parser read from the place given.
  void AddWorldKey(std::string_view key, std::string_view value, const SourcePlace& place);
  std::size_t WorldKeyCount() const { return WorldKeys().size(); }
  const KeyValue& WorldKey(std::size_t i) const { return WorldKeys()[i]; }
  const KeyValueList& WorldKeys() const {
    CompactPairs(worldKeys_, markedWorldKeys_, worldIndex_);
    return worldKeys_;
  }
  const KeyValue* FindWorldKey(std::string_view key) const { return FindPair(WorldKeys(), key); }
  // As MapEntity::SetKey, on the world block.
  [[nodiscard]] bool SetWorldKey(std::string_view key, std::string_view value);
  // As MapEntity's AddKey, RemoveKey and SetValue, on the world block.
  [[nodiscard]] bool AddNewWorldKey(std::string_view key, std::string_view value);
  void RemoveWorldKey(std::string_view key);
  [[nodiscard]] bool SetWorldValue(std::size_t i, std::string_view value);
  // The places of removed world pairs that stood in the source.
  std::span<const SourcePlace> WorldCuts() const { return worldCuts_; }
  // The world block is gone, and its pairs with it.
  void RemoveWorld();

  // Every block of the document, once ReadBlocks has built them; null before.
  BlockTree* Blocks() { return blocks_.get(); }
  // A pair written into a block with that name (inside a visgroups block or
  // not): an id raises the ids in use, which a merge goes on from.
  void NoteIdWritten(std::string_view block, bool inVisgroups, std::string_view key,
                     std::string_view value);
  const BlockTree* Blocks() const { return blocks_.get(); }
  // Starts a tree over the source: the reader fills it, and NextReadEntity
  // gives it the read entities in order.
  BlockTree& StartBlocks();
  // The next read entity, when its block starts at at.
  MapEntity* NextReadEntity(std::size_t at);
  // Calls made(entity) for every live entity made since the document was
  // read, in the order made, but those made inside another block.
  template <typename Made>
  void ForEachCreatedEntity(Made made) {
    for (MapEntity* entity : order_) {
      if (!entity->layout.read && !entity->layout.writtenInBlock) made(*entity);
    }
  }
  // A parse of the document is running: its blocks cannot be read now.
  bool Parsing() const { return parsing_ > 0; }
  // The edit count when the last parse ended.
  std::uint64_t EditsWhenRead() const { return editsWhenRead_; }
  void MarkRead() { editsWhenRead_ = edits_.value; }
  void BeginParse() { ++parsing_; }
  void EndParse() { --parsing_; }

  // The 1-based line of a place in the source.
  int LineOf(std::size_t offset) const;

  // Removals record what they took; the taker empties the record, and may
  // use the entities and blocks in it until the next edit.
  void NoteGone(const MapBlock& block) { removals_.blocks.push_back(&block); }
  Removals TakeRemovals();
  // An edit made through a block.
  void NoteEdit() { edits_.Bump(); }

  // The first entity in list order that matches, or null.
  MapEntity* FindByClass(std::string_view classname);
  MapEntity* FindByName(std::string_view name);
  MapEntity* FindByID(std::int32_t id);

  // The index of the first entity at or after start whose name (class)
  // matches the pattern as the engine matches it: ASCII letters without
  // regard to case, and a '*' at the end matches any rest.
  std::optional<std::size_t> FindNextByName(std::string_view pattern, std::size_t start) const {
    return FindNext(&MapEntity::Name, pattern, start);
  }
  std::optional<std::size_t> FindNextByClass(std::string_view pattern, std::size_t start) const {
    return FindNext(&MapEntity::Class, pattern, start);
  }

  // Destroys every entity and world pair, and forgets the source.
  void Clear();
  // Changes whenever Clear destroys the entities.
  std::uint64_t Generation() const { return generation_; }
  // Changes with every edit of the document, its entities' included.
  std::uint64_t Edits() const { return edits_.value; }

  // The text the document was read from; empty for a new one.
  void SetSource(std::shared_ptr<const TextBuffer> source) {
    source_ = std::move(source);
    lines_.reset();
  }
  std::string_view Source() const {
    return source_ != nullptr ? source_->view() : std::string_view();
  }
  const std::shared_ptr<const TextBuffer>& SourceBuffer() const { return source_; }
  // Keeps another document's source while this one lives (until Clear), so
  // that pairs copied from it can leave their texts where they stand.
  void KeepSource(const std::shared_ptr<const TextBuffer>& source);
  DocumentLayout layout;

  // The owner's own data: the bindings keep their object over the document
  // here.
  void* owner = nullptr;

  TextPool& Texts() { return texts_; }
  const TextPool& Texts() const { return texts_; }

 private:
  std::optional<std::size_t> FindNext(const char* (MapEntity::*field)() const,
                                      std::string_view pattern, std::size_t start) const;

  TextPool texts_;
  RecordArena lists_;  // the entities' lists; outlives them
  std::unique_ptr<BlockTree> blocks_;
  mutable std::unique_ptr<LineIndex> lines_;
  std::size_t readCursor_ = 0;
  int parsing_ = 0;
  std::uint64_t editsWhenRead_ = 0;
  Removals removals_;
  std::vector<std::size_t> freeSlots_;  // of made entities removed and taken
  std::vector<SourcePlace> worldCuts_;
  std::shared_ptr<const TextBuffer> source_;
  std::vector<std::shared_ptr<const TextBuffer>> keptSources_;
  std::deque<MapEntity> entities_;
  // Removing from either end moves nothing: scripts remove front to back
  // or back to front.
  std::deque<MapEntity*> order_;
  // Compacted when read: removals from a long list mark their pairs.
  mutable KeyValueList worldKeys_;
  mutable std::uint32_t markedWorldKeys_ = 0;
  mutable std::unique_ptr<PairIndex> worldIndex_;
  std::uint64_t generation_ = 0;
  EditCount edits_;
};

// Whether text matches pattern as FindNextByName matches.
bool MatchesPattern(std::string_view text, std::string_view pattern);

}  // namespace mapwright

#endif
