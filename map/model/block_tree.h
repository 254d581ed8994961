// Every block of a document as a tree, built on first use from the text the
// document was read from, and kept in step with the document's entities and
// world from then on. The top of the tree stands for the text itself.
// Blocks never move once made, so pointers to them stay valid until the tree
// is destroyed, also when they are removed; the room of a removed one is
// taken again only once its removal was taken.
#ifndef MAPWRIGHT_MAP_MODEL_BLOCK_TREE_H
#define MAPWRIGHT_MAP_MODEL_BLOCK_TREE_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "map/model/map_block.h"
#include "map/model/record_arena.h"

namespace mapwright {

class MapDocument;

// The highest id of each run: sides have their own, visgroups theirs (the
// "visgroupid" of a visgroup block inside a visgroups block), every other
// block shares one.
struct IdRuns {
  std::int64_t side = 0;
  std::int64_t other = 0;
  std::int64_t visgroup = 0;
  // Counts a pair of a block with that name.
  void See(std::string_view block, bool inVisgroups, std::string_view key, std::string_view value);
};

class BlockTree {
 public:
  // Its lists come from lists, which outlives it: the document's arena,
  // whose memory a tree read after the next parse takes again.
  BlockTree(MapDocument& document, RecordArena& lists);
  BlockTree(const BlockTree&) = delete;
  BlockTree& operator=(const BlockTree&) = delete;

  MapBlock& Top() { return nodes_.front(); }
  MapDocument& Document() { return *document_; }
  // The block that holds the world pairs, if any.
  const MapBlock* World() const { return world_; }

  // Building, as a reader walks the source: a block opens with its name at
  // at and its inside starting at inside, pairs come, and it closes with its
  // brace's line at closeLine and its end at end. Blocks still open when the
  // reading ends reach to the end of the text. A pair's lineAfter is where
  // its line ends: new pairs go there.
  void Open(std::string_view name, std::uint32_t at, std::uint32_t inside);
  void Pair(std::string_view key, std::string_view value, const SourcePlace& place,
            std::uint32_t lineAfter);
  void Close(std::uint32_t closeLine, std::uint32_t end);
  // Ends the building: gives the entity blocks their entities (the read
  // entities, in the order read), the world and outputs blocks their roles,
  // and places the entities and world made since the document was read.
  void Finish();

  // Edits, which keep the document in step.
  // A new empty block inside parent, after its last child; null when the
  // name cannot be written, is "world", is "connections" outside an entity
  // or for one that has its outputs block, or parent is an outputs block. A
  // block named "entity" is a new entity of the document.
  MapBlock* AddChild(MapBlock& parent, std::string_view name);
  // A new empty top-level block written at anchor, a place in the source:
  // among the new entities there when withEntities, else after them.
  MapBlock& AddTopBlock(std::string_view name, std::uint32_t anchor, bool withEntities);
  // Removes child i of parent with everything inside it, entities too.
  void RemoveChild(MapBlock& parent, std::size_t i);

  // The document tells the tree.
  void EntityAdded(MapEntity& entity);
  // The entity's block goes, or the hidden block around it that goes with it.
  void EntityRemoved(MapEntity& entity);
  void WorldAppeared();

  // The highest id of each run (sides, visgroups, every other block) as the
  // text held them when the tree was read, or as the last merge left them;
  // every id written since raises them (MapDocument::NoteIdWritten). Not
  // known when the document was edited before the tree was read.
  struct IdsInUse {
    IdRuns runs;
    bool known = false;
  };
  IdsInUse idsInUse;

  // A removed block, once its removal was taken (MapDocument::TakeRemovals):
  // a block made since the tree was read leaves its room to the next one
  // made, with the same serial, which empties it.
  void Recycle(const MapBlock& block);

  // For the writer: the read blocks whose pairs or children were edited, and
  // the read blocks removed.
  const std::vector<MapBlock*>& EditedBlocks() const { return edited_; }
  const std::vector<const MapBlock*>& RemovedBlocks() const { return removed_; }

  // For MapBlock.
  void MarkEdited(MapBlock& block);
  void Refresh(MapBlock& block);
  TextPool& Texts();

 private:
  MapBlock& Make(BlockRole role, std::string_view name, MapBlock* parent);
  // The pairs and children of a block being read, by depth.
  struct Lists {
    std::vector<BlockPair> pairs;
    std::vector<MapBlock*> children;
  };
  Lists& OpenLists() { return scratch_[open_.size()]; }
  void TakeLists(MapBlock& block);
  // Puts a new block among parent's children where the writer writes it.
  void Place(MapBlock& parent, MapBlock& child);
  void Detach(MapBlock& block);
  void Kill(MapBlock& block);
  MapBlock& MakeOutputs(MapBlock& entityBlock);

  MapDocument* document_;
  RecordArena& lists_;
  std::deque<MapBlock, ArenaAllocator<MapBlock>> nodes_;

  std::vector<MapBlock*> open_;
  int visgroupsOpen_ = 0;
  std::vector<Lists> scratch_;     // [0] for the top, [d] for the block open at depth d
  std::vector<std::size_t> free_;  // of recycled blocks
  std::vector<MapBlock*> edited_;
  std::vector<const MapBlock*> removed_;
  MapBlock* world_ = nullptr;     // the block that holds the world pairs
  MapBlock* addingIn_ = nullptr;  // where AddChild puts the entity it makes
};

}  // namespace mapwright

#endif
