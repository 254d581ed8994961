#include "map/edit/merge.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "map/model/block_tree.h"
#include "map/model/map_block.h"
#include "map/model/name_table.h"

namespace mapwright {
namespace {

// A block of the other document, read whole before anything is added.
struct Copy {
  std::string name;
  bool entity = false;
  std::vector<std::pair<std::string, std::string>> pairs;
  std::vector<Copy> children;
};

Copy Take(MapBlock& block) {
  Copy copy{std::string(block.Name()), block.Role() == BlockRole::kEntity, {}, {}};
  for (std::size_t i = 0; i < block.KeyCount(); ++i) {
    PairText pair = block.Key(i);
    copy.pairs.emplace_back(std::move(pair.key), std::move(pair.value));
  }
  for (std::size_t i = 0; i < block.ChildCount(); ++i)
    copy.children.push_back(Take(block.Child(i)));
  return copy;
}

bool HoldsEntity(const Copy& copy) {
  return copy.entity || std::any_of(copy.children.begin(), copy.children.end(), HoldsEntity);
}

// The highest ids in use: sides have their own run, visgroups theirs, every
// other block shares one.
struct Ids {
  std::int64_t side = 0;
  std::int64_t other = 0;
  std::int64_t visgroup = 0;
};

// Reads the pairs where they are kept: an entity's id is its field.
void Scan(MapBlock& block, Ids& highest, bool inVisgroups) {
  const bool side = SameName(block.Name(), "side");
  const bool visgroup = inVisgroups && SameName(block.Name(), "visgroup");
  auto see = [&](std::string_view key, std::string_view value) {
    if (SameName(key, "id")) {
      std::int64_t& run = side ? highest.side : highest.other;
      run = std::max<std::int64_t>(run, ParseEntityId(value));
    } else if (visgroup && SameName(key, "visgroupid")) {
      highest.visgroup = std::max<std::int64_t>(highest.visgroup, ParseEntityId(value));
    }
  };
  switch (block.Role()) {
    case BlockRole::kEntity:
      for (const KeyValue& pair : block.Entity()->Keys()) see(pair.key, pair.value);
      break;
    case BlockRole::kWorld:
      for (const KeyValue& pair : block.Document().WorldKeys()) see(pair.key, pair.value);
      break;
    case BlockRole::kOutputs:
      break;
    default:
      for (const BlockPair& pair : block.OwnPairs()) see(pair.key, pair.value);
  }
  block.ChildCount();  // a world or outputs block made since the tree was read, too
  for (MapBlock* child : block.Children()) {
    Scan(*child, highest, inVisgroups || SameName(block.Name(), "visgroups"));
  }
}

// Fresh ids for the copies, and references that follow them.
class Renumbering {
 public:
  explicit Renumbering(const Ids& highest) : next_(highest) {}

  void Assign(Copy& copy, bool inVisgroups) {
    const bool side = SameName(copy.name, "side");
    const bool visgroup = inVisgroups && SameName(copy.name, "visgroup");
    for (auto& [key, value] : copy.pairs) {
      if (SameName(key, "id")) {
        value = Fresh(side ? sides_ : others_, value, side ? next_.side : next_.other);
      } else if (visgroup && SameName(key, "visgroupid")) {
        value = Fresh(visgroups_, value, next_.visgroup);
      }
    }
    for (Copy& child : copy.children) {
      Assign(child, inVisgroups || SameName(copy.name, "visgroups"));
    }
  }

  // The highest ids given.
  const Ids& Last() const { return next_; }

  void Follow(Copy& copy) {
    for (auto& [key, value] : copy.pairs) {
      if (SameName(key, "visgroupid")) {
        value = Mapped(visgroups_, value);
      } else if (SameName(key, "groupid")) {
        value = Mapped(others_, value);
      } else if (SameName(key, "sides") || SameName(key, "sides2")) {
        value = EachMapped(sides_, value);
      }
    }
    for (Copy& child : copy.children) Follow(child);
  }

 private:
  using Map = std::unordered_map<std::string, std::string>;

  static std::string Fresh(Map& map, const std::string& old, std::int64_t& run) {
    std::string fresh = std::to_string(++run);
    map.emplace(old, fresh);  // a duplicate id keeps its first copy's
    return fresh;
  }
  static std::string Mapped(const Map& map, const std::string& old) {
    auto found = map.find(old);
    return found != map.end() ? found->second : old;  // a reference to nothing stays
  }
  // A list of ids separated by blanks.
  static std::string EachMapped(const Map& map, const std::string& list) {
    std::string out;
    std::size_t at = 0;
    while (at < list.size()) {
      std::size_t end = list.find(' ', at);
      if (end == std::string::npos) end = list.size();
      if (end > at) out += Mapped(map, list.substr(at, end - at));
      if (end < list.size()) out += ' ';
      at = end + 1;
    }
    return out;
  }

  Ids next_;
  Map sides_;
  Map others_;
  Map visgroups_;
};

class Adding {
 public:
  Adding(MapDocument& document, BlockTree& tree) : document_(document), tree_(tree) {}

  // An entity after the document's last one.
  void Entity(const Copy& copy) { FillEntity(*document_.AddEntity().block, copy); }
  // A copy inside parent, or at the top among the new entities.
  void Block(MapBlock& parent, const Copy& copy) {
    MapBlock* block = tree_.AddChild(parent, copy.name);
    if (block != nullptr) Fill(*block, copy);
  }
  void TopBlock(const Copy& copy) { Fill(tree_.AddTopBlock(copy.name, EntitiesEnd(), true), copy); }

 private:
  std::uint32_t EntitiesEnd() const {
    return static_cast<std::uint32_t>(document_.layout.entitiesEnd);
  }

  void Fill(MapBlock& block, const Copy& copy) {
    if (block.Role() == BlockRole::kEntity) return FillEntity(block, copy);
    for (const auto& [key, value] : copy.pairs) static_cast<void>(block.AddKey(key, value));
    for (const Copy& child : copy.children) Block(block, child);
  }

  // The pairs as they were, the name, class and id following the last of
  // theirs; outputs from the copy's connections block.
  void FillEntity(MapBlock& block, const Copy& copy) {
    MapEntity& entity = *block.Entity();
    for (const auto& [key, value] : copy.pairs) static_cast<void>(entity.AddKey(key, value));
    for (std::size_t i = 0; i < entity.KeyCount(); ++i) {
      const std::string key = entity.Key(i).key;
      if (key == "targetname" || key == "classname" || key == "id") {
        static_cast<void>(entity.SetValue(i, std::string(entity.Key(i).value)));
      }
    }
    for (const Copy& child : copy.children) {
      if (child.name != "connections") {
        Block(block, child);
        continue;
      }
      for (const auto& [output, value] : child.pairs) {
        if (std::optional<ConnectionParts> parts = SplitConnectionValue(value)) {
          static_cast<void>(entity.AddConnection(output, *parts));
        }
      }
    }
  }

  MapDocument& document_;
  BlockTree& tree_;
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

void MergeDocument(MapDocument& document, MapDocument& other) {
  BlockTree* tree = document.Blocks();
  BlockTree* from = other.Blocks();
  if (tree == nullptr || from == nullptr) return;

  // What is copied, read whole first.
  std::vector<Copy> entities;  // top-level entities and the hidden blocks around them
  std::vector<Copy> brushes;   // the world's solids, hidden and group blocks
  std::vector<Copy> visgroups;
  std::vector<std::pair<std::string, std::string>> worldPairs;
  MapBlock& top = from->Top();
  for (std::size_t i = 0; i < top.ChildCount(); ++i) {
    MapBlock& block = top.Child(i);
    if (block.Role() == BlockRole::kEntity ||
        (SameName(block.Name(), "hidden") && HoldsEntity(Take(block)))) {
      entities.push_back(Take(block));
    } else if (SameName(block.Name(), "visgroups")) {
      visgroups = Take(block).children;
    }
  }
  if (MapBlock* world = WorldOf(*from)) {
    Copy copy = Take(*world);
    worldPairs = copy.pairs;
    for (Copy& child : copy.children) {
      if (SameName(child.name, "solid") || SameName(child.name, "hidden") ||
          SameName(child.name, "group")) {
        brushes.push_back(std::move(child));
      }
    }
  }

  // The ids in use, as the last merge left them unless something else was
  // edited since: stamping many copies does not read the whole map each time.
  Ids highest;
  BlockTree::IdsInUse& known = tree->idsInUse;
  if (known.known && known.edits == document.Edits()) {
    highest = {known.side, known.other, known.visgroup};
  } else {
    Scan(tree->Top(), highest, false);
  }
  Renumbering renumbering(highest);
  for (Copy& copy : visgroups) renumbering.Assign(copy, true);
  for (Copy& copy : entities) renumbering.Assign(copy, false);
  for (Copy& copy : brushes) renumbering.Assign(copy, false);
  for (Copy& copy : entities) renumbering.Follow(copy);
  for (Copy& copy : brushes) renumbering.Follow(copy);

  Adding adding(document, *tree);
  for (const Copy& copy : entities) {
    if (copy.entity) {
      adding.Entity(copy);
    } else {
      adding.TopBlock(copy);
    }
  }
  MapBlock* world = WorldOf(*tree);
  if (world == nullptr && !brushes.empty()) {
    // A document without a world takes the other's pairs for one, its id fresh.
    Copy pairs{"world", false, worldPairs, {}};
    renumbering.Assign(pairs, false);
    for (const auto& [key, value] : pairs.pairs) {
      static_cast<void>(document.AddNewWorldKey(key, value));
    }
    world = WorldOf(*tree);
  }
  if (world != nullptr) {
    for (const Copy& copy : brushes) adding.Block(*world, copy);
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
    for (const Copy& copy : visgroups) adding.Block(*into, copy);
  }
  const Ids& last = renumbering.Last();
  known = {last.side, last.other, last.visgroup, document.Edits(), true};
}

}  // namespace mapwright
