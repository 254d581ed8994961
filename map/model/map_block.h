// One block of a map, "name { ... }", at any depth: its pairs and the blocks
// inside it, and where it stands in the text it was read from.
//
// Some blocks are views on the document's model rather than lists of their
// own: an entity's block holds the entity's pairs, the outputs block of an
// entity (its "connections" block) holds the entity's connections, and the
// world block holds the world pairs. Editing them through the block edits the
// model, and the other way round.
#ifndef MAPWRIGHT_MAP_MODEL_MAP_BLOCK_H
#define MAPWRIGHT_MAP_MODEL_MAP_BLOCK_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "map/model/child_list.h"
#include "map/model/map_entity.h"
#include "map/model/record_arena.h"

namespace mapwright {

class BlockTree;
class MapDocument;

enum class BlockRole : std::uint8_t {
  kPlain,    // a list of its own
  kTop,      // the text itself, around the top-level blocks
  kEntity,   // an entity
  kOutputs,  // an entity's connections
  kWorld,    // the world pairs
};

// A pair of a plain block, its texts in the source or in the document's pool.
struct BlockPair {
  std::string_view key;
  std::string_view value;
  SourcePlace place{};
};

struct BlockLayout {
  bool read = false;
  std::uint32_t at = 0;           // the block's name
  std::uint32_t end = 0;          // just past its closing brace
  std::uint32_t pairsEnd = 0;     // where new pairs go: after the last pair's line
  std::uint32_t childrenEnd = 0;  // where new blocks inside go: before its closing brace's line
  int depth = 0;                  // blocks around it
  // A new block among read ones: the place in its parent's text where it is
  // written, and its rank among new blocks written there (then the order
  // they were made in).
  std::uint32_t anchor = 0;
  std::uint8_t rank = 0;
  // A copy of another text's block (a merge) keeps the indentation of its
  // lines there, shifted by how much deeper it stands here: the tabs before
  // its name and braces, and before its pairs. -1 for a block whose lines
  // are indented by its depth.
  std::int32_t indent = -1;
  std::int32_t pairIndent = -1;
};

// A pair as a script sees it: an output's value is its target and parameters
// joined by their separator.
struct PairText {
  std::string key;
  std::string value;
};

class MapBlock {
 public:
  MapBlock(BlockTree& tree, BlockRole role, std::string_view name, MapBlock* parent,
           std::size_t serial, RecordArena& lists)
      : tree_(&tree),
        parent_(parent),
        name_(name),
        serial_(serial),
        role_(role),
        pairs_(ArenaAllocator<BlockPair>(&lists)),
        children_(lists),
        cuts_(ArenaAllocator<SourcePlace>(&lists)) {}

  std::string_view Name() const { return name_; }
  BlockRole Role() const { return role_; }
  // The entity an entity block is, or whose outputs an outputs block holds.
  MapEntity* Entity() const { return entity_; }
  MapBlock* Parent() const { return parent_; }
  MapDocument& Document() const;
  // The block's number among all its tree has had: never reused.
  std::size_t Serial() const { return serial_; }
  // False once removed, with everything inside it.
  bool Live() const { return live_; }

  // Pairs, in order. Every edit refuses, changing nothing, a text that map
  // text cannot hold; an outputs block also a value without a separator.
  std::size_t KeyCount() const;
  PairText Key(std::size_t i) const;
  // The first pair with exactly that key.
  std::optional<std::size_t> FindKey(std::string_view key) const;
  // Where pair i's key stands in the source, when it was read from it.
  std::optional<std::uint32_t> KeyAt(std::size_t i) const;
  [[nodiscard]] bool AddKey(std::string_view key, std::string_view value);
  // Every pair with that key (ASCII case aside) gets the value, or the pair
  // is appended when there is none.
  [[nodiscard]] bool SetKey(std::string_view key, std::string_view value);
  void RemoveKey(std::string_view key);
  // Pair i alone gets the value.
  [[nodiscard]] bool SetValue(std::size_t i, std::string_view value);
  // Room for that many more pairs, when they are about to be added.
  void ReserveKeys(std::size_t more);
  // Appends to a plain block a pair of texts that live as long as the
  // document (in its source, or one it keeps), where they are. For a merge,
  // which sets the ids in use itself: the pair's id is not noted.
  void AddKeptPair(std::string_view key, std::string_view value);

  // The blocks inside, in order.
  std::size_t ChildCount();
  MapBlock& Child(std::size_t i);
  // The first block inside at or after start with that name, ASCII case aside.
  std::optional<std::size_t> FindChild(std::string_view name, std::size_t start);

  BlockLayout layout;

  // For the tree and the writer.
  const ArenaVector<BlockPair>& OwnPairs() const {
    CompactPairs(pairs_, markedPairs_, index_);
    return pairs_;
  }
  const ArenaVector<MapBlock*>& Children() const { return children_.All(); }
  std::span<const SourcePlace> Cuts() const { return cuts_; }
  bool Edited() const { return edited_; }

 private:
  friend class BlockTree;
  // Empty again, under a new name and parent, its texts given back and its
  // lists' room kept.
  void Reuse(BlockRole role, std::string_view name, MapBlock* parent);
  void MarkEdited();
  // A pair of copies of the texts after the last, as a plain block holds it.
  void AppendPair(std::string_view key, std::string_view value);
  ArenaVector<BlockPair>& Pairs() { return pairs_; }
  // Indexes its pairs once they are many.
  void IndexIfLong();
  // Tells the document of a pair written, which may be an id.
  void NoteIdWritten(std::string_view key, std::string_view value) const;

  BlockTree* tree_;
  MapBlock* parent_;
  std::string_view name_;
  std::size_t serial_;
  MapEntity* entity_ = nullptr;
  MapBlock* outputs_ = nullptr;  // an entity block's outputs block
  BlockRole role_;
  bool live_ = true;
  bool edited_ = false;  // listed among the tree's edited blocks
  // Compacted when read: removals from a long list mark their pairs.
  mutable ArenaVector<BlockPair> pairs_;
  mutable std::unique_ptr<PairIndex> index_;  // of a long list of its own, made on first need
  mutable std::uint32_t markedPairs_ = 0;
  ChildList children_;
  ArenaVector<SourcePlace> cuts_;
};

// Whether map text reads name back as a block name: a word of letters,
// digits and '_' that starts with no digit.
bool IsBlockName(std::string_view name);

}  // namespace mapwright

#endif
