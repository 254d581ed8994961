#include "map/edit/merge.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "map/model/block_tree.h"
#include "map/model/line_geometry.h"
#include "map/model/map_block.h"
#include "map/model/name_table.h"
#include "map/model/text_pool.h"

namespace mapwright {
namespace {

// The blocks of the other document that are copied, read whole before
// anything is added, as one list in file order: a block, then everything
// inside it. Adding to a document changes none of its records but those it
// adds (and the lists of blocks it adds to), so a plain block's pairs are
// read where they are; an entity's, the world's and the outputs' are listed
// here. Renumbered values are kept beside them. Texts are views of the other
// document's own, or of texts kept here.
struct Pair {
  std::string_view key;
  std::string_view value;
};
constexpr std::uint32_t kNone = ~std::uint32_t{0};
struct Node {
  std::string_view name;
  const BlockPair* own = nullptr;  // a plain block's pairs, else pairs listed here
  std::uint32_t firstPair = 0;
  std::uint32_t pairCount = 0;
  std::uint32_t end = 0;              // past the last block inside it
  std::uint32_t renamed = kNone;      // its first renumbered value
  std::uint32_t lastRenamed = kNone;  // and its last
  bool entity = false;
  bool inVisgroups = false;  // inside a visgroups block
  // The tabs before its lines as its text has them, and its depth there.
  int indent = 0;
  int pairIndent = 0;
  int depth = 0;
};
// A pair's value renumbered, listed by the pair's place in its block.
struct Renamed {
  std::uint32_t pair;
  std::uint32_t next;
  std::string_view value;
};

class Snapshot {
 public:
  // Appends block with everything inside it, in file order; gives its place
  // in the list. The walk keeps its own stack: nesting has no bound.
  std::uint32_t Take(MapBlock& block) {
    struct Open {
      MapBlock* block;
      std::uint32_t at;
      std::size_t next;
    };
    const std::uint32_t first = TakeOwn(block, false);
    std::vector<Open> open{{&block, first, 0}};
    while (!open.empty()) {
      Open& top = open.back();
      if (top.next < top.block->Children().size()) {
        MapBlock* child = top.block->Children()[top.next++];
        const Node& parent = nodes_[top.at];
        const bool inside = parent.inVisgroups || SameName(parent.name, "visgroups");
        const std::uint32_t at = TakeOwn(*child, inside);
        open.push_back({child, at, 0});
      } else {
        nodes_[top.at].end = Size();
        open.pop_back();
      }
    }
    return first;
  }
  // Forgets the blocks from at on.
  void DropFrom(std::uint32_t at) {
    pairs_.resize(nodes_[at].firstPair);
    nodes_.resize(at);
  }

  const Node& operator[](std::uint32_t at) const { return nodes_[at]; }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(nodes_.size()); }
  // Pair i of block at, as read.
  Pair At(std::uint32_t at, std::uint32_t i) const {
    const Node& node = nodes_[at];
    if (node.own != nullptr) return {node.own[i].key, node.own[i].value};
    return pairs_[node.firstPair + i];
  }
  // Each pair of block at, renumbered values in place of those read.
  template <typename Visit>
  void ForPairs(std::uint32_t at, Visit visit) const {
    std::uint32_t renamed = nodes_[at].renamed;
    for (std::uint32_t i = 0; i < nodes_[at].pairCount; ++i) {
      Pair pair = At(at, i);
      if (renamed != kNone && renamed_[renamed].pair == i) {
        pair.value = renamed_[renamed].value;
        renamed = renamed_[renamed].next;
      }
      visit(pair);
    }
  }
  // Links are places in renamed_, never pointers: it grows as they are
  // followed. Values come mostly in pair order, so the last is tried first.
  void Rename(std::uint32_t at, std::uint32_t i, std::string_view value) {
    Node& node = nodes_[at];
    std::uint32_t before = kNone;
    std::uint32_t next = node.renamed;
    if (node.lastRenamed != kNone && renamed_[node.lastRenamed].pair < i) {
      before = node.lastRenamed;
      next = kNone;
    }
    while (next != kNone && renamed_[next].pair < i) {
      before = next;
      next = renamed_[next].next;
    }
    if (next != kNone && renamed_[next].pair == i) {
      renamed_[next].value = value;
      return;
    }
    const auto added = static_cast<std::uint32_t>(renamed_.size());
    renamed_.push_back({i, next, value});
    (before == kNone ? node.renamed : renamed_[before].next) = added;
    if (next == kNone) node.lastRenamed = added;
  }
  // The blocks inside at, not those inside them.
  template <typename Visit>
  void ForChildren(std::uint32_t at, Visit visit) const {
    for (std::uint32_t child = at + 1; child < nodes_[at].end; child = nodes_[child].end) {
      visit(child);
    }
  }
  bool HoldsEntity(std::uint32_t at) const {
    for (std::uint32_t i = at; i < nodes_[at].end; ++i) {
      if (nodes_[i].entity) return true;
    }
    return false;
  }
  std::string_view Keep(std::string_view text) { return {kept_.Store(text), text.size()}; }

  // The block's own pairs; its children are made ready to be read.
  std::uint32_t TakeOwn(MapBlock& block, bool inVisgroups) {
    const auto at = Size();
    Node node{block.Name(), nullptr, static_cast<std::uint32_t>(pairs_.size())};
    node.entity = block.Role() == BlockRole::kEntity;
    node.inVisgroups = inVisgroups;
    switch (block.Role()) {
      case BlockRole::kEntity:
        for (const KeyValue& pair : block.Entity()->Keys())
          pairs_.push_back({pair.key, pair.value});
        break;
      case BlockRole::kWorld:
        for (const KeyValue& pair : block.Document().WorldKeys()) {
          pairs_.push_back({pair.key, pair.value});
        }
        break;
      case BlockRole::kOutputs:  // a value joined from the output's parts
        for (std::size_t i = 0; i < block.KeyCount(); ++i) {
          PairText pair = block.Key(i);
          pairs_.push_back({Keep(pair.key), Keep(pair.value)});
        }
        break;
      default:
        node.own = block.OwnPairs().data();
        node.pairCount = static_cast<std::uint32_t>(block.OwnPairs().size());
    }
    if (node.own == nullptr) {
      node.pairCount = static_cast<std::uint32_t>(pairs_.size()) - node.firstPair;
    }
    IndentsOf(block, node);
    nodes_.push_back(node);
    block.ChildCount();  // a world or outputs block made since the tree was read, too
    return at;
  }

 private:
  // A read block's lines are indented as its text has them; a copy's as
  // its merge left them; any other's as the writer writes them, by depth.
  static void IndentsOf(const MapBlock& block, Node& node) {
    const BlockLayout& layout = block.layout;
    node.depth = layout.depth;
    if (layout.indent >= 0) {
      node.indent = layout.indent;
      node.pairIndent = layout.pairIndent;
      return;
    }
    const std::string_view text = block.Document().Source();
    if (layout.read) {
      node.indent = static_cast<int>(IndentBefore(text, layout.at));
      node.pairIndent = node.indent + 1;
    } else {
      node.indent = std::min(layout.depth, kDeepestIndent);
      node.pairIndent = std::min(layout.depth + 1, kDeepestIndent);
    }
    if (const SourcePlace* place = FirstReadPair(block)) {
      node.pairIndent = static_cast<int>(IndentBefore(text, place->keyAt));
    }
  }
  static const SourcePlace* FirstReadPair(const MapBlock& block) {
    auto first = [](const auto& pairs) -> const SourcePlace* {
      for (const auto& pair : pairs) {
        if (pair.place.read) return &pair.place;
      }
      return nullptr;
    };
    switch (block.Role()) {
      case BlockRole::kEntity:
        return first(block.Entity()->Keys());
      case BlockRole::kWorld:
        return first(block.Document().WorldKeys());
      case BlockRole::kOutputs:
        for (std::size_t i = 0; i < block.Entity()->ConnectionCount(); ++i) {
          const SourcePlace& place = block.Entity()->GetConnection(i).place;
          if (place.read) return &place;
        }
        return nullptr;
      default:
        return first(block.OwnPairs());
    }
  }

  std::vector<Node> nodes_;
  std::vector<Pair> pairs_;
  std::vector<Renamed> renamed_;
  TextPool kept_;
};

// The highest ids in the document's blocks. An entity's id is its field.
void Scan(MapBlock& top, IdRuns& highest) {
  std::vector<std::pair<MapBlock*, bool>> walk{{&top, false}};  // and whether in visgroups
  while (!walk.empty()) {
    auto [block, inVisgroups] = walk.back();
    walk.pop_back();
    auto see = [&, block = block, inVisgroups = inVisgroups](std::string_view key,
                                                             std::string_view value) {
      highest.See(block->Name(), inVisgroups, key, value);
    };
    switch (block->Role()) {
      case BlockRole::kEntity:
        for (const KeyValue& pair : block->Entity()->Keys()) see(pair.key, pair.value);
        highest.other = std::max<std::int64_t>(highest.other, block->Entity()->Id());
        break;
      case BlockRole::kWorld:
        for (const KeyValue& pair : block->Document().WorldKeys()) see(pair.key, pair.value);
        break;
      case BlockRole::kOutputs:
        break;
      default:
        for (const BlockPair& pair : block->OwnPairs()) see(pair.key, pair.value);
    }
    block->ChildCount();  // a world or outputs block made since the tree was read, too
    const bool inside = inVisgroups || SameName(block->Name(), "visgroups");
    for (MapBlock* child : block->Children()) walk.emplace_back(child, inside);
  }
}

// Fresh ids for the copies, and references that follow them.
class Renumbering {
 public:
  static constexpr std::int64_t kLargestId = 2147483647;

  Renumbering(const IdRuns& highest, Snapshot& copies) : next_(highest), copies_(copies) {
    sides_.reserve(copies.Size());  // most blocks are sides, each with an id
  }

  // Block at and every block inside it, in file order.
  void Assign(std::uint32_t at) {
    for (std::uint32_t block = at; block < copies_[at].end; ++block) {
      AssignOwn(block, copies_[block].inVisgroups);
    }
  }
  // Block at alone.
  void AssignOwn(std::uint32_t at, bool inVisgroups) {
    const bool side = SameName(copies_[at].name, "side");
    const bool visgroup = inVisgroups && SameName(copies_[at].name, "visgroup");
    for (std::uint32_t i = 0; i < copies_[at].pairCount; ++i) {
      const Pair pair = copies_.At(at, i);
      if (SameName(pair.key, "id")) {
        copies_.Rename(at, i,
                       Fresh(side ? sides_ : others_, pair.value, side ? next_.side : next_.other));
      } else if (visgroup && SameName(pair.key, "visgroupid")) {
        copies_.Rename(at, i, Fresh(visgroups_, pair.value, next_.visgroup));
      }
    }
  }

  // The highest ids given.
  const IdRuns& Last() const { return next_; }
  // Whether every id given fits the format's ids (32-bit signed).
  bool Fits() const {
    return next_.side <= kLargestId && next_.other <= kLargestId && next_.visgroup <= kLargestId;
  }

  void Follow(std::uint32_t at) {
    for (std::uint32_t block = at; block < copies_[at].end; ++block) {
      for (std::uint32_t i = 0; i < copies_[block].pairCount; ++i) {
        const Pair pair = copies_.At(block, i);
        if (SameName(pair.key, "visgroupid")) {
          copies_.Rename(block, i, Mapped(visgroups_, pair.value));
        } else if (SameName(pair.key, "groupid")) {
          copies_.Rename(block, i, Mapped(others_, pair.value));
        } else if (SameName(pair.key, "sides") || SameName(pair.key, "sides2")) {
          copies_.Rename(block, i, EachMapped(sides_, pair.value));
        }
      }
    }
  }

 private:
  using Map = std::unordered_map<std::string_view, std::string_view>;

  std::string_view Fresh(Map& map, std::string_view old, std::int64_t& run) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, ++run);
    const std::string_view fresh = copies_.Keep({digits, written.ptr});
    map.emplace(old, fresh);  // a duplicate id keeps its first copy's
    return fresh;
  }
  static std::string_view Mapped(const Map& map, std::string_view old) {
    auto found = map.find(old);
    return found != map.end() ? found->second : old;  // a reference to nothing stays
  }
  // A list of ids separated by blanks.
  std::string_view EachMapped(const Map& map, std::string_view list) {
    std::string out;
    std::size_t at = 0;
    while (at < list.size()) {
      std::size_t end = list.find(' ', at);
      if (end == std::string_view::npos) end = list.size();
      if (end > at) out += Mapped(map, list.substr(at, end - at));
      if (end < list.size()) out += ' ';
      at = end + 1;
    }
    return copies_.Keep(out);
  }

  IdRuns next_;
  Snapshot& copies_;
  Map sides_;
  Map others_;
  Map visgroups_;
};

class Adding {
 public:
  // Pairs that stand in other's source keep their texts there: the document
  // keeps that source.
  Adding(MapDocument& document, BlockTree& tree, const Snapshot& copies, const MapDocument& other)
      : document_(document), tree_(tree), copies_(copies), from_(other.Source()) {
    document.KeepSource(other.SourceBuffer());
  }

  // An entity after the document's last one.
  void Entity(std::uint32_t at) { Fill(*document_.AddEntity().block, at); }
  // A copy inside parent, or at the top among the new entities.
  void Block(MapBlock& parent, std::uint32_t at) {
    if (MapBlock* block = tree_.AddChild(parent, copies_[at].name)) Fill(*block, at);
  }
  void TopBlock(std::uint32_t at) {
    Fill(tree_.AddTopBlock(copies_[at].name, EntitiesEnd(), true), at);
  }

 private:
  std::uint32_t EntitiesEnd() const {
    return static_cast<std::uint32_t>(document_.layout.entitiesEnd);
  }

  // Block gets the pairs of copy at and copies of the blocks inside it. The
  // walk keeps its own stack: nesting has no bound.
  void Fill(MapBlock& block, std::uint32_t at) {
    struct Open {
      MapBlock* block;
      std::uint32_t at;
      std::uint32_t next;  // the next copy inside it
    };
    FillOwn(block, at);
    std::vector<Open> open{{&block, at, at + 1}};
    while (!open.empty()) {
      Open& top = open.back();
      if (top.next >= copies_[top.at].end) {
        open.pop_back();
        continue;
      }
      const std::uint32_t child = top.next;
      top.next = copies_[child].end;
      MapBlock* parent = top.block;
      // An entity's outputs came with its pairs.
      if (parent->Role() == BlockRole::kEntity && copies_[child].name == "connections") continue;
      MapBlock* made = tree_.AddChild(*parent, copies_[child].name);
      if (made == nullptr) continue;
      FillOwn(*made, child);
      open.push_back({made, child, child + 1});
    }
  }

  // A copy's lines keep their indentation, shifted by how much deeper the
  // copy stands than what it copies.
  void Indent(MapBlock& block, std::uint32_t at) const {
    const Node& node = copies_[at];
    const int shift = block.layout.depth - node.depth;
    block.layout.indent = std::max(0, node.indent + shift);
    block.layout.pairIndent = std::max(0, node.pairIndent + shift);
  }

  void FillOwn(MapBlock& block, std::uint32_t at) {
    Indent(block, at);
    if (block.Role() == BlockRole::kEntity) return FillEntity(block, at);
    block.ReserveKeys(copies_[at].pairCount);
    copies_.ForPairs(at, [&](Pair pair) {
      if (block.Role() == BlockRole::kPlain && InSource(pair.key) && InSource(pair.value)) {
        block.AddKeptPair(pair.key, pair.value);
      } else {
        static_cast<void>(block.AddKey(pair.key, pair.value));
      }
    });
  }

  // The pairs as they were, the name, class and id following the last of
  // theirs; outputs from the copy's connections block.
  void FillEntity(MapBlock& block, std::uint32_t at) {
    MapEntity& entity = *block.Entity();
    block.ReserveKeys(copies_[at].pairCount);
    copies_.ForPairs(at,
                     [&](Pair pair) { static_cast<void>(entity.AddKey(pair.key, pair.value)); });
    for (std::size_t i = 0; i < entity.KeyCount(); ++i) {
      const std::string_view key = entity.Key(i).key;
      if (key == "targetname" || key == "classname" || key == "id") {
        static_cast<void>(entity.SetValue(i, std::string(entity.Key(i).value)));
      }
    }
    copies_.ForChildren(at, [&](std::uint32_t child) {
      if (copies_[child].name != "connections") return;
      copies_.ForPairs(child, [&](Pair pair) {
        if (std::optional<ConnectionParts> parts = SplitConnectionValue(pair.value)) {
          static_cast<void>(entity.AddConnection(pair.key, *parts));
        }
      });
      for (std::size_t i = 0; i < block.ChildCount(); ++i) {  // the outputs block they made
        if (block.Child(i).Role() == BlockRole::kOutputs) Indent(block.Child(i), child);
      }
    });
  }

  bool InSource(std::string_view text) const {
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    const auto begin = reinterpret_cast<std::uintptr_t>(from_.data());
    return text.size() <= from_.size() && at >= begin && at - begin <= from_.size() - text.size();
  }

  MapDocument& document_;
  BlockTree& tree_;
  const Snapshot& copies_;
  std::string_view from_;
};

MapBlock* Named(MapBlock& parent, std::string_view name) {
  std::optional<std::size_t> found = parent.FindChild(name, 0);
  return found ? &parent.Child(*found) : nullptr;
}

MapBlock* WorldOf(BlockTree& tree) {
  MapBlock& top = tree.Top();
  for (std::size_t i = 0; i < top.ChildCount(); ++i) {
    if (top.Child(i).Role() == BlockRole::kWorld) return &top.Child(i);
  }
  return nullptr;
}

}  // namespace

EditResult MergeDocument(MapDocument& document, MapDocument& other) {
  BlockTree* tree = document.Blocks();
  BlockTree* from = other.Blocks();
  if (tree == nullptr || from == nullptr) return EditResult::Refused("the blocks are not read");

  // What is copied, read whole first.
  Snapshot copies;
  std::vector<std::uint32_t> entities;  // top-level entities and the hidden blocks around them
  std::vector<std::uint32_t> brushes;   // the world's solids, hidden and group blocks
  std::vector<std::uint32_t> visgroups;
  std::optional<std::uint32_t> worldPairs;
  MapBlock& top = from->Top();
  for (std::size_t i = 0; i < top.ChildCount(); ++i) {
    MapBlock& block = top.Child(i);
    if (block.Role() == BlockRole::kEntity) {
      entities.push_back(copies.Take(block));
    } else if (SameName(block.Name(), "hidden")) {
      const std::uint32_t at = copies.Take(block);
      if (copies.HoldsEntity(at)) {
        entities.push_back(at);
      } else {
        copies.DropFrom(at);
      }
    } else if (SameName(block.Name(), "visgroups")) {
      copies.ForChildren(copies.Take(block), [&](std::uint32_t at) { visgroups.push_back(at); });
    }
  }
  if (MapBlock* world = WorldOf(*from)) {
    worldPairs = copies.Take(*world);
    copies.ForChildren(*worldPairs, [&](std::uint32_t at) {
      const std::string_view name = copies[at].name;
      if (SameName(name, "solid") || SameName(name, "hidden") || SameName(name, "group")) {
        brushes.push_back(at);
      }
    });
  }

  // The ids in use, as the tree was read or the last merge left them and
  // every edit since raised them: stamping many copies, editing each, does
  // not read the whole map each time.
  MapBlock* world = WorldOf(*tree);
  IdRuns highest;
  BlockTree::IdsInUse& known = tree->idsInUse;
  if (known.known) {
    highest = known.runs;
  } else {
    Scan(tree->Top(), highest);
  }
  Renumbering renumbering(highest, copies);
  for (std::uint32_t at : visgroups) renumbering.Assign(at);
  for (std::uint32_t at : entities) renumbering.Assign(at);
  for (std::uint32_t at : brushes) renumbering.Assign(at);
  if (world == nullptr && !brushes.empty()) renumbering.AssignOwn(*worldPairs, false);
  if (!renumbering.Fits()) {
    return EditResult::Refused("the copies would need ids beyond 2147483647");
  }
  for (std::uint32_t at : entities) renumbering.Follow(at);
  for (std::uint32_t at : brushes) renumbering.Follow(at);

  Adding adding(document, *tree, copies, other);
  for (std::uint32_t at : entities) {
    if (copies[at].entity) {
      adding.Entity(at);
    } else {
      adding.TopBlock(at);
    }
  }
  if (world == nullptr && !brushes.empty()) {
    // A document without a world takes the other's pairs for one, its id fresh.
    copies.ForPairs(*worldPairs, [&](Pair pair) {
      static_cast<void>(document.AddNewWorldKey(pair.key, pair.value));
    });
    world = WorldOf(*tree);
  }
  if (world != nullptr) {
    for (std::uint32_t at : brushes) adding.Block(*world, at);
  }
  if (!visgroups.empty()) {
    MapBlock* into = Named(tree->Top(), "visgroups");
    if (into == nullptr) {
      // Where editors write it: before the world.
      const MapBlock* before = tree->World();
      const std::uint32_t anchor = before != nullptr && before->layout.read
                                       ? before->layout.at
                                       : tree->Top().layout.childrenEnd;
      into = &tree->AddTopBlock("visgroups", anchor, false);
    }
    for (std::uint32_t at : visgroups) adding.Block(*into, at);
  }
  known = {renumbering.Last(), true};
  return EditResult::Done();
}

}  // namespace mapwright
