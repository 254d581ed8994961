#include "map/model/block_tree.h"

#include <algorithm>
#include <utility>

#include "map/model/map_document.h"
#include "map/model/name_table.h"

namespace mapwright {
namespace {

// New blocks rank among the new ones written at one place as the writer
// writes them: the world first, then created entities, then the rest. Read
// blocks at that place come after them all.
constexpr std::uint8_t kWorldRank = 0;
constexpr std::uint8_t kOutputsRank = 0;
constexpr std::uint8_t kEntityRank = 1;
constexpr std::uint8_t kOtherRank = 2;
constexpr std::uint8_t kReadRank = 255;

std::pair<std::uint32_t, std::uint8_t> OrderOf(const MapBlock& block) {
  if (block.layout.read) return {block.layout.at, kReadRank};
  return {block.layout.anchor, block.layout.rank};
}

}  // namespace

BlockTree::BlockTree(MapDocument& document, RecordArena& lists)
    : document_(&document), lists_(lists), nodes_(ArenaAllocator<MapBlock>(&lists)), scratch_(1) {
  MapBlock& top = Make(BlockRole::kTop, "", nullptr);
  const auto size = static_cast<std::uint32_t>(document.Source().size());
  top.layout.read = true;
  top.layout.end = top.layout.pairsEnd = top.layout.childrenEnd = size;
  top.layout.depth = -1;
}

MapBlock& BlockTree::Make(BlockRole role, std::string_view name, MapBlock* parent) {
  MapBlock* block;
  if (!free_.empty()) {
    block = &nodes_[free_.back()];
    free_.pop_back();
    block->Reuse(role, name, parent);
  } else {
    block = &nodes_.emplace_back(*this, role, name, parent, nodes_.size(), lists_);
  }
  if (parent != nullptr) block->layout.depth = parent->layout.depth + 1;
  return *block;
}

void BlockTree::Recycle(const MapBlock& block) {
  if (!block.live_ && !block.layout.read && &block == &nodes_[block.Serial()]) {
    free_.push_back(block.Serial());
  }
}

void BlockTree::Open(std::string_view name, std::uint32_t at, std::uint32_t inside) {
  MapBlock* parent = open_.empty() ? &Top() : open_.back();
  MapBlock& block = Make(BlockRole::kPlain, name, parent);
  block.layout.read = true;
  block.layout.at = at;
  block.layout.pairsEnd = inside;
  block.layout.end = block.layout.childrenEnd = Top().layout.end;
  OpenLists().children.push_back(&block);
  open_.push_back(&block);
  if (SameName(name, "visgroups")) ++visgroupsOpen_;
  if (scratch_.size() < open_.size() + 1) scratch_.emplace_back();
  if (name == "entity") {
    // The reader made the document's entities in this same order.
    MapEntity* entity = document_->NextReadEntity(at);
    if (entity != nullptr) {
      block.role_ = BlockRole::kEntity;
      block.entity_ = entity;
      entity->block = &block;
    }
  } else if (name == "world") {
    world_ = &block;  // the last one read takes the world pairs, as the reader gives them
  } else if (name == "connections" && parent->role_ == BlockRole::kEntity) {
    if (MapBlock* earlier = parent->outputs_) {
      earlier->role_ = BlockRole::kPlain;
      earlier->entity_ = nullptr;
    }
    block.role_ = BlockRole::kOutputs;
    block.entity_ = parent->entity_;
    parent->outputs_ = &block;
  }
}

void BlockTree::Pair(std::string_view key, std::string_view value, const SourcePlace& place,
                     std::uint32_t lineAfter) {
  MapBlock& block = open_.empty() ? Top() : *open_.back();
  if (block.role_ != BlockRole::kEntity) OpenLists().pairs.push_back({key, value, place});
  block.layout.pairsEnd = lineAfter;
  idsInUse.runs.See(block.Name(), visgroupsOpen_ > 0, key, value);
}

namespace {

// An id as written, its sign and digits after blanks, however large (up to
// 2^62, which no merge can go past): an id beyond 32 bits is in use too.
std::int64_t IdNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    if (text[at] == '-') return 0;
    ++at;
  }
  constexpr std::int64_t kCeiling = std::int64_t{1} << 62;
  std::int64_t number = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    number = number >= kCeiling / 10 ? kCeiling : number * 10 + (text[at] - '0');
  }
  return number;
}

}  // namespace

void IdRuns::See(std::string_view block, bool inVisgroups, std::string_view key,
                 std::string_view value) {
  if (SameName(key, "id")) {
    std::int64_t& run = SameName(block, "side") ? side : other;
    run = std::max(run, IdNumber(value));
  } else if (inVisgroups && SameName(key, "visgroupid") && SameName(block, "visgroup")) {
    visgroup = std::max(visgroup, IdNumber(value));
  }
}

void BlockTree::Close(std::uint32_t closeLine, std::uint32_t end) {
  if (open_.empty()) return;
  MapBlock& block = *open_.back();
  block.layout.childrenEnd = closeLine;
  block.layout.end = end;
  TakeLists(block);
  if (SameName(block.Name(), "visgroups")) --visgroupsOpen_;
  open_.pop_back();
}

// What a block read holds is gathered while it is open, and stored when it
// closes in lists of the exact size.
void BlockTree::TakeLists(MapBlock& block) {
  Lists& lists = OpenLists();
  if (block.role_ != BlockRole::kOutputs && block.role_ != BlockRole::kEntity) {
    block.pairs_.assign(lists.pairs.begin(), lists.pairs.end());
  }
  block.children_.Assign(lists.children.begin(), lists.children.end());
  lists.pairs.clear();
  lists.children.clear();
}

void BlockTree::Finish() {
  // The ids the text holds are the ids in use while the document is as
  // read: nothing edited since its parse.
  const bool asRead = document_->Edits() == document_->EditsWhenRead();
  while (!open_.empty()) {  // blocks left open reach to the end of the text
    TakeLists(*open_.back());
    open_.pop_back();
  }
  TakeLists(Top());
  scratch_.clear();
  scratch_.shrink_to_fit();
  if (world_ != nullptr) {
    world_->role_ = BlockRole::kWorld;
    world_->pairs_ = ArenaVector<BlockPair>(ArenaAllocator<BlockPair>(&lists_));
  }
  std::vector<MapEntity*> gone;
  for (MapBlock& block : nodes_) {
    if (block.role_ == BlockRole::kEntity && !block.entity_->Live()) gone.push_back(block.entity_);
  }
  // Entities removed before the tree was asked for take their blocks away,
  // and those made since come where the writer puts them.
  for (MapEntity* entity : gone) EntityRemoved(*entity);
  document_->ForEachCreatedEntity([this](MapEntity& entity) { EntityAdded(entity); });
  Refresh(Top());
  idsInUse.known = asRead;
}

MapBlock& BlockTree::MakeOutputs(MapBlock& entityBlock) {
  MapBlock& block = Make(BlockRole::kOutputs, "connections", &entityBlock);
  MapEntity& entity = *entityBlock.entity_;
  block.entity_ = &entity;
  block.layout.anchor = entity.layout.read ? static_cast<std::uint32_t>(entity.layout.pairsEnd) : 0;
  block.layout.rank = kOutputsRank;
  entity.layout.outputsBlockAdded = true;
  entityBlock.outputs_ = &block;
  Place(entityBlock, block);
  return block;
}

void BlockTree::Refresh(MapBlock& block) {
  if (block.role_ == BlockRole::kEntity && block.outputs_ == nullptr &&
      block.entity_->ConnectionCount() > 0) {
    MakeOutputs(block);
  } else if (block.role_ == BlockRole::kTop && world_ == nullptr &&
             document_->WorldKeyCount() > 0) {
    MapBlock& world = Make(BlockRole::kWorld, "world", &Top());
    world.layout.anchor = static_cast<std::uint32_t>(document_->layout.entitiesEnd);
    world.layout.rank = kWorldRank;
    document_->layout.worldBlockAdded = true;
    world_ = &world;
    Place(Top(), world);
  }
}

void BlockTree::Place(MapBlock& parent, MapBlock& child) {
  ChildList& children = parent.children_;
  std::size_t at = children.size();
  while (at > 0 && OrderOf(*children[at - 1]) > OrderOf(child)) --at;
  children.Insert(at, &child);
}

MapBlock* BlockTree::AddChild(MapBlock& parent, std::string_view name) {
  // The format gives the pairs of any "connections" block to the entity
  // read last, and those of any "world" block to the world: such blocks
  // stand only where they mean that, once.
  if (!parent.live_ || !IsBlockName(name) || name == "world" ||
      parent.role_ == BlockRole::kOutputs ||
      (name == "connections" && parent.role_ != BlockRole::kEntity)) {
    return nullptr;
  }
  Refresh(parent);
  if (name == "entity") {
    addingIn_ = &parent;
    MapEntity& entity = document_->AddEntity();
    addingIn_ = nullptr;
    return entity.block;
  }
  if (name == "connections" && parent.role_ == BlockRole::kEntity) {
    if (parent.outputs_ != nullptr) return nullptr;  // one block holds the entity's outputs
    MarkEdited(parent);
    return &MakeOutputs(parent);
  }
  MapBlock& block = Make(BlockRole::kPlain, Texts().Intern(name), &parent);
  block.layout.anchor = parent.layout.read ? parent.layout.childrenEnd : 0;
  block.layout.rank = kOtherRank;
  Place(parent, block);
  MarkEdited(parent);
  return &block;
}

void BlockTree::EntityAdded(MapEntity& entity) {
  MapBlock& parent = addingIn_ != nullptr ? *addingIn_ : Top();
  MapBlock& block = Make(BlockRole::kEntity, "entity", &parent);
  block.entity_ = &entity;
  entity.block = &block;
  if (addingIn_ != nullptr) {
    entity.layout.writtenInBlock = true;
    block.layout.anchor = parent.layout.read ? parent.layout.childrenEnd : 0;
    block.layout.rank = kOtherRank;
    MarkEdited(parent);
  } else {
    block.layout.anchor = static_cast<std::uint32_t>(document_->layout.entitiesEnd);
    block.layout.rank = kEntityRank;
    MarkEdited(parent);  // the top writes its new entities
  }
  Place(parent, block);
}

MapBlock& BlockTree::AddTopBlock(std::string_view name, std::uint32_t anchor, bool withEntities) {
  MapBlock& block = Make(BlockRole::kPlain, Texts().Intern(name), &Top());
  block.layout.anchor = anchor;
  block.layout.rank = withEntities ? kEntityRank : kOtherRank;
  Place(Top(), block);
  MarkEdited(Top());
  return block;
}

void BlockTree::RemoveChild(MapBlock& parent, std::size_t i) {
  Refresh(parent);
  MapBlock& child = *parent.children_[i];
  if (child.role_ == BlockRole::kEntity) {
    static_cast<void>(document_->RemoveEntity(*child.entity_));
    return;
  }
  // The entities inside leave the document first, as RemoveEntity takes them.
  std::vector<MapEntity*> inside;
  std::vector<MapBlock*> walk{&child};
  while (!walk.empty()) {
    MapBlock* block = walk.back();
    walk.pop_back();
    if (block->role_ == BlockRole::kEntity) inside.push_back(block->entity_);
    const auto& children = block->Children();
    walk.insert(walk.end(), children.begin(), children.end());
  }
  for (MapEntity* entity : inside) {
    if (entity->Live()) static_cast<void>(document_->RemoveEntity(*entity));
  }
  if (!child.live_) return;  // it went with an entity it held
  if (child.role_ == BlockRole::kOutputs) {
    MapEntity& entity = *child.entity_;
    while (entity.ConnectionCount() > 0) entity.RemoveConnection(entity.ConnectionCount() - 1);
    entity.layout.hasConnections = false;
    entity.layout.outputsBlockAdded = false;
    parent.outputs_ = nullptr;
  }
  if (child.layout.read) removed_.push_back(&child);
  Detach(child);
  Kill(child);
  document_->NoteEdit();
}

void BlockTree::EntityRemoved(MapEntity& entity) {
  MapBlock* block = entity.block;
  if (block == nullptr || !block->live_) return;
  MapBlock* target = block;
  const EntityLayout& layout = entity.layout;
  MapBlock* wrapper = block->parent_;
  if (layout.read && layout.removalAt != layout.blockAt && wrapper != nullptr &&
      wrapper->layout.read && wrapper->layout.at == layout.removalAt) {
    target = wrapper;
  }
  Detach(*target);
  Kill(*target);
}

void BlockTree::Detach(MapBlock& block) {
  ChildList& siblings = block.parent_->children_;
  const std::size_t at = siblings.Find(&block);
  if (at < siblings.size()) siblings.Erase(at);
}

// Every block inside goes with it, and every entity whose block that is.
void BlockTree::Kill(MapBlock& block) {
  std::vector<MapBlock*> walk{&block};
  std::vector<MapEntity*> entities;
  while (!walk.empty()) {
    MapBlock* dead = walk.back();
    walk.pop_back();
    if (!dead->live_) continue;
    dead->live_ = false;
    document_->NoteGone(*dead);
    if (dead == world_) {
      document_->RemoveWorld();
      world_ = nullptr;
    }
    if (dead->role_ == BlockRole::kEntity) entities.push_back(dead->entity_);
    const auto& children = dead->Children();
    walk.insert(walk.end(), children.begin(), children.end());
  }
  for (MapEntity* entity : entities) {
    if (entity->Live()) static_cast<void>(document_->RemoveEntity(*entity));
  }
}

void BlockTree::MarkEdited(MapBlock& block) {
  if (!block.edited_ && block.layout.read) {
    block.edited_ = true;
    edited_.push_back(&block);
  }
  document_->NoteEdit();
}

TextPool& BlockTree::Texts() {
  return document_->Texts();
}

}  // namespace mapwright
