#include "map/model/map_block.h"

#include "map/model/block_tree.h"
#include "map/model/map_document.h"
#include "map/model/name_table.h"
#include "tokenizer/char_class.h"

namespace mapwright {
namespace {

std::string OutputValue(const Connection& connection) {
  std::string value = connection.target;
  value.append(1, connection.separator).append(connection.parameters);
  return value;
}

bool Fits(std::string_view key, std::string_view value) {
  return FitsInQuotes(key) && FitsInQuotes(value);
}

}  // namespace

bool IsBlockName(std::string_view name) {
  if (name.empty() || !StartsIdentifier(name.front())) return false;
  for (char c : name) {
    if (!HasClass(c, kWord)) return false;
  }
  return true;
}

MapDocument& MapBlock::Document() const {
  return tree_->Document();
}

std::size_t MapBlock::KeyCount() const {
  switch (role_) {
    case BlockRole::kEntity:
      return entity_->KeyCount();
    case BlockRole::kOutputs:
      return entity_->ConnectionCount();
    case BlockRole::kWorld:
      return tree_->Document().WorldKeyCount();
    default:
      return OwnPairs().size();
  }
}

PairText MapBlock::Key(std::size_t i) const {
  switch (role_) {
    case BlockRole::kEntity:
      return {entity_->Key(i).key, entity_->Key(i).value};
    case BlockRole::kOutputs:
      return {entity_->GetConnection(i).output, OutputValue(entity_->GetConnection(i))};
    case BlockRole::kWorld:
      return {tree_->Document().WorldKey(i).key, tree_->Document().WorldKey(i).value};
    default:
      return {std::string(OwnPairs()[i].key), std::string(OwnPairs()[i].value)};
  }
}

std::optional<std::size_t> MapBlock::FindKey(std::string_view key) const {
  const std::size_t count = KeyCount();
  for (std::size_t i = 0; i < count; ++i) {
    std::string_view found;
    switch (role_) {
      case BlockRole::kEntity:
        found = entity_->Key(i).key;
        break;
      case BlockRole::kOutputs:
        found = entity_->GetConnection(i).output;
        break;
      case BlockRole::kWorld:
        found = tree_->Document().WorldKey(i).key;
        break;
      default:
        found = OwnPairs()[i].key;
    }
    if (found == key) return i;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> MapBlock::KeyAt(std::size_t i) const {
  const SourcePlace* place;
  switch (role_) {
    case BlockRole::kEntity:
      place = &entity_->Key(i).place;
      break;
    case BlockRole::kOutputs:
      place = &entity_->GetConnection(i).place;
      break;
    case BlockRole::kWorld:
      place = &tree_->Document().WorldKey(i).place;
      break;
    default:
      place = &OwnPairs()[i].place;
  }
  if (!place->read) return std::nullopt;
  return place->keyAt;
}

bool MapBlock::AddKey(std::string_view key, std::string_view value) {
  switch (role_) {
    case BlockRole::kEntity:
      return entity_->AddKey(key, value);
    case BlockRole::kOutputs: {
      std::optional<ConnectionParts> parts = SplitConnectionValue(value);
      return parts && entity_->AddConnection(key, *parts);
    }
    case BlockRole::kWorld:
      return tree_->Document().AddNewWorldKey(key, value);
    default:
      break;
  }
  if (!Fits(key, value)) return false;
  AppendPair(key, value);
  MarkEdited();
  return true;
}

void MapBlock::AppendPair(std::string_view key, std::string_view value) {
  TextPool& texts = tree_->Texts();
  BlockPair& added = pairs_.emplace_back(BlockPair{{texts.Intern(key), key.size()}, ""});
  added.value = {OwnValue(texts, added.place, nullptr, value), value.size()};
  if (index_ != nullptr) index_->Add(key, pairs_.size() - 1);
  NoteIdWritten(key, value);
}

void MapBlock::NoteIdWritten(std::string_view key, std::string_view value) const {
  // Only an id counts; a visgroup's id only inside a visgroups block.
  const bool visgroupId = SameName(key, "visgroupid") && SameName(name_, "visgroup");
  if (!SameName(key, "id") && !visgroupId) return;
  bool inVisgroups = false;
  for (const MapBlock* up = parent_; visgroupId && up != nullptr && !inVisgroups;
       up = up->parent_) {
    inVisgroups = SameName(up->name_, "visgroups");
  }
  tree_->Document().NoteIdWritten(name_, inVisgroups, key, value);
}

void MapBlock::IndexIfLong() {
  if (index_ == nullptr && pairs_.size() >= PairIndex::kLongList) index_ = IndexOf(pairs_);
}

void MapBlock::ReserveKeys(std::size_t more) {
  if (role_ == BlockRole::kEntity) return entity_->ReserveKeys(more);
  if (role_ == BlockRole::kPlain || role_ == BlockRole::kTop) GrowFor(pairs_, more);
}

void MapBlock::AddKeptPair(std::string_view key, std::string_view value) {
  pairs_.push_back(BlockPair{key, value});
  if (index_ != nullptr) index_->Add(key, pairs_.size() - 1);
  MarkEdited();
}

bool MapBlock::SetKey(std::string_view key, std::string_view value) {
  switch (role_) {
    case BlockRole::kEntity:
      return entity_->SetKey(key, value);
    case BlockRole::kWorld:
      return tree_->Document().SetWorldKey(key, value);
    case BlockRole::kOutputs: {
      std::optional<ConnectionParts> parts = SplitConnectionValue(value);
      if (!parts || !Fits(key, value)) return false;
      bool found = false;
      for (std::size_t i = 0; i < entity_->ConnectionCount(); ++i) {
        const Connection& connection = entity_->GetConnection(i);
        if (!SameName(key, connection.output)) continue;
        found = true;
        if (!entity_->SetConnection(i, connection.output, *parts)) return false;
      }
      return found || entity_->AddConnection(key, *parts);
    }
    default:
      break;
  }
  if (!Fits(key, value)) return false;
  TextPool& texts = tree_->Texts();
  bool found = false;
  auto give = [&](BlockPair& pair) {
    pair.value = {OwnValue(texts, pair.place, pair.value.data(), value), value.size()};
    pair.place.edited = true;
    found = true;
    NoteIdWritten(pair.key, value);
  };
  IndexIfLong();  // a long list is searched through its index
  if (index_ != nullptr) {
    const PairIndex::Chain& chain = index_->Of(key);
    for (std::uint32_t at = chain.first; at != PairIndex::kNone; at = index_->Next(at)) {
      give(pairs_[at]);
    }
  } else {
    for (BlockPair& pair : pairs_) {
      if (SameName(key, pair.key)) give(pair);  // keys are read as names are
    }
  }
  if (!found) AppendPair(key, value);
  MarkEdited();
  return true;
}

void MapBlock::RemoveKey(std::string_view key) {
  switch (role_) {
    case BlockRole::kEntity:
      return entity_->RemoveKey(key);
    case BlockRole::kWorld:
      return tree_->Document().RemoveWorldKey(key);
    case BlockRole::kOutputs:
      for (std::size_t i = entity_->ConnectionCount(); i-- > 0;) {
        if (SameName(key, entity_->GetConnection(i).output)) entity_->RemoveConnection(i);
      }
      return;
    default:
      break;
  }
  auto gone = [](const BlockPair&) {};
  IndexIfLong();
  if (index_ != nullptr) {
    if (MarkPairs(pairs_, *index_, key, tree_->Texts(), cuts_, gone, markedPairs_)) MarkEdited();
  } else if (RemovePairs(pairs_, key, tree_->Texts(), cuts_, gone)) {
    MarkEdited();
  }
}

bool MapBlock::SetValue(std::size_t i, std::string_view value) {
  switch (role_) {
    case BlockRole::kEntity:
      return entity_->SetValue(i, value);
    case BlockRole::kWorld:
      return tree_->Document().SetWorldValue(i, value);
    case BlockRole::kOutputs: {
      std::optional<ConnectionParts> parts = SplitConnectionValue(value);
      return parts && entity_->SetConnection(i, entity_->GetConnection(i).output, *parts);
    }
    default:
      break;
  }
  if (!FitsInQuotes(value)) return false;
  CompactPairs(pairs_, markedPairs_, index_);
  pairs_[i].value = {OwnValue(tree_->Texts(), pairs_[i].place, pairs_[i].value.data(), value),
                     value.size()};
  pairs_[i].place.edited = true;
  NoteIdWritten(pairs_[i].key, value);
  MarkEdited();
  return true;
}

std::size_t MapBlock::ChildCount() {
  tree_->Refresh(*this);
  return children_.size();
}

MapBlock& MapBlock::Child(std::size_t i) {
  tree_->Refresh(*this);
  return *children_[i];
}

std::optional<std::size_t> MapBlock::FindChild(std::string_view name, std::size_t start) {
  tree_->Refresh(*this);
  for (std::size_t i = start; i < children_.size(); ++i) {
    if (SameName(name, children_[i]->Name())) return i;
  }
  return std::nullopt;
}

void MapBlock::Reuse(BlockRole role, std::string_view name, MapBlock* parent) {
  TextPool& texts = tree_->Texts();
  for (BlockPair& pair : pairs_) DropValue(texts, pair.place, pair.value.data());
  pairs_.clear();
  index_.reset();
  markedPairs_ = 0;
  children_.Clear();
  cuts_.clear();
  parent_ = parent;
  name_ = name;
  entity_ = nullptr;
  outputs_ = nullptr;
  role_ = role;
  live_ = true;
  edited_ = false;
  layout = BlockLayout();
}

void MapBlock::MarkEdited() {
  tree_->MarkEdited(*this);
}

}  // namespace mapwright
