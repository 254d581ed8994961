#include "map/write/map_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "map/model/line_geometry.h"

namespace mapwright {
namespace {

// A change to the source: bytes [begin, end) replaced by text, in quotes
// when quoted. Insertions are empty ranges; at one place they keep the order
// they were made in. The text is a value of the document or one of the
// writer's own.
struct Patch {
  std::size_t begin;
  std::size_t end;
  std::string_view text;
  bool quoted = false;
};

class Writer {
 public:
  explicit Writer(const MapDocument& document)
      : document_(document), source_(document.Source()), eol_(document.layout.lineEnding) {}

  std::shared_ptr<const TextBuffer> Write();

 private:
  void Entity(const MapEntity& entity);
  void Removed(const MapEntity& entity);
  void NewEntity(const MapEntity& entity, std::string& out);
  // A block made since the source was read, written whole at depth.
  void NewBlock(const MapBlock& block, int depth, std::string& out);
  // Its name, opening brace and pairs.
  void NewBlockOpening(const MapBlock& block, int depth, std::string& out);
  // The edits of the block tree: pairs of plain blocks, new blocks inside
  // read ones, removed read blocks.
  void Blocks(const BlockTree& tree);
  void EditedBlock(const MapBlock& block);
  // A new block that the block pass writes: others are the world's, an
  // entity's outputs, and entities the entity pass writes.
  static bool WrittenByBlocks(const MapBlock& block);
  // The entity's outputs block in the tree, when it is a new one.
  static const MapBlock* NewOutputsBlock(const MapEntity& entity) {
    if (entity.block == nullptr) return nullptr;
    for (const MapBlock* child : entity.block->Children()) {
      if (child->Role() == BlockRole::kOutputs && !child->layout.read) return child;
    }
    return nullptr;
  }
  // The tree's world block, when it is a new one.
  const MapBlock* NewWorldBlock() const {
    const BlockTree* tree = document_.Blocks();
    const MapBlock* world = tree != nullptr ? tree->World() : nullptr;
    return world != nullptr && !world->layout.read ? world : nullptr;
  }
  // Pairs: those read from the source and edited are rewritten in place, the
  // new ones come back as lines after tabs.
  std::string Pairs(const KeyValueList& pairs, std::string_view tabs);
  // Connections likewise.
  std::string Connections(const MapEntity& entity, std::string_view tabs);
  std::string ConnectionsBlock(std::string_view tabs, const std::string& lines) const;

  // The indentation of new lines at depth (kDeepestIndent).
  static std::string Tabs(int depth) {
    return std::string(static_cast<std::size_t>(std::clamp(depth, 0, kDeepestIndent)), '\t');
  }
  // Those of a new block's name and braces, and of its pairs: a copy's own.
  static std::string BlockTabs(const MapBlock& block, int depth) {
    return block.layout.indent >= 0
               ? std::string(static_cast<std::size_t>(block.layout.indent), '\t')
               : Tabs(depth);
  }
  static std::string PairTabs(const MapBlock& block, int depth) {
    return block.layout.pairIndent >= 0
               ? std::string(static_cast<std::size_t>(block.layout.pairIndent), '\t')
               : Tabs(depth + 1);
  }
  std::string PairLine(std::string_view tabs, std::string_view key, std::string_view value) const;
  static std::string ConnectionValue(const Connection& connection);
  // What removing a pair or block from at to end takes (RemovalOf).
  Patch Cut(std::size_t at, std::size_t end) const;
  void Rewrite(const SourcePlace& place, std::string_view value);
  void RewriteKey(const SourcePlace& place, std::string_view key);

  // New lines at at inside the block at depth (-1 for the top). Where the
  // text leaves blocks open and at is its end, they come after it: each open
  // block deeper than theirs closed first (Tail).
  void Insert(std::size_t at, std::string text, int depth) {
    if (at >= source_.size() && document_.layout.openAtEnd > 0) {
      tail_.push_back({depth, std::move(text)});
      return;
    }
    if (!StartsLine(source_, at)) text.insert(0, eol_);
    patches_.push_back({at, at, texts_.emplace_back(std::move(text))});
  }
  // What follows a text that leaves blocks open: the lines for the deepest
  // first, and a closing brace for each open block as the lines leave it;
  // every block is closed at the end.
  std::string Tail() const {
    if (tail_.empty()) return {};
    std::vector<const TailPart*> parts;
    for (const TailPart& part : tail_) parts.push_back(&part);
    std::stable_sort(parts.begin(), parts.end(),
                     [](const TailPart* a, const TailPart* b) { return a->depth > b->depth; });
    std::string out;
    if (document_.layout.stringOpenAtEnd) out += '"';
    if (document_.layout.commentOpenAtEnd) out += "*/";
    if (!out.empty() || (!source_.empty() && source_.back() != '\n' && source_.back() != '\r')) {
      out += eol_;
    }
    int open = static_cast<int>(document_.layout.openAtEnd) - 1;  // the innermost's depth
    auto close = [&](int depth) {
      for (; open > depth; --open) out += Tabs(open) + "}" + eol_;
    };
    for (const TailPart* part : parts) {
      close(part->depth);
      out += part->text;
    }
    close(-1);
    return out;
  }

  const MapDocument& document_;
  std::string_view source_;
  const std::string& eol_;
  std::vector<Patch> patches_;
  std::deque<std::string> texts_;
  struct TailPart {
    int depth;
    std::string text;
  };
  std::vector<TailPart> tail_;  // lines after a text that leaves blocks open
};

std::string Writer::PairLine(std::string_view tabs, std::string_view key,
                             std::string_view value) const {
  std::string line(tabs);
  line.append(1, '"').append(key).append("\" \"").append(value).append(1, '"').append(eol_);
  return line;
}

std::string Writer::ConnectionValue(const Connection& connection) {
  std::string value = connection.target;
  value.append(1, connection.separator).append(connection.parameters);
  return value;
}

Patch Writer::Cut(std::size_t at, std::size_t end) const {
  TextRange removed = RemovalOf(source_, at, end);
  return {removed.begin, removed.end, {}};
}

void Writer::Rewrite(const SourcePlace& place, std::string_view value) {
  patches_.push_back({place.valueAt, place.valueEnd, value, true});
}

// A key as written: quoted up to its closing quote, or a bare word.
void Writer::RewriteKey(const SourcePlace& place, std::string_view key) {
  std::size_t end = place.keyAt;
  if (end < source_.size() && source_[end] == '"') {
    end = source_.find('"', end + 1);
    end = end == std::string_view::npos ? place.valueAt : end + 1;
  } else {
    while (end < place.valueAt && source_[end] != ' ' && source_[end] != '\t') ++end;
  }
  patches_.push_back(
      {place.keyAt, std::min(end, static_cast<std::size_t>(place.valueAt)), key, true});
}

std::string Writer::Pairs(const KeyValueList& pairs, std::string_view tabs) {
  std::string lines;
  for (const KeyValue& pair : pairs) {
    if (!pair.place.read) {
      lines += PairLine(tabs, pair.key, pair.value);
    } else if (pair.place.edited) {
      Rewrite(pair.place, pair.value);
    }
  }
  return lines;
}

std::string Writer::Connections(const MapEntity& entity, std::string_view tabs) {
  std::string lines;
  for (std::size_t i = 0; i < entity.ConnectionCount(); ++i) {
    const Connection& connection = entity.GetConnection(i);
    if (!connection.place.read) {
      lines += PairLine(tabs, connection.output, ConnectionValue(connection));
    } else if (connection.place.edited) {
      if (connection.place.keyEdited) RewriteKey(connection.place, connection.output);
      Rewrite(connection.place, texts_.emplace_back(ConnectionValue(connection)));
    }
  }
  return lines;
}

std::string Writer::ConnectionsBlock(std::string_view tabs, const std::string& lines) const {
  std::string block(tabs);
  block.append("connections").append(eol_).append(tabs).append("{").append(eol_).append(lines);
  return block.append(tabs).append("}").append(eol_);
}

void Writer::Entity(const MapEntity& entity) {
  const EntityLayout& layout = entity.layout;
  for (const SourcePlace& cut : entity.Cuts()) patches_.push_back(Cut(cut.keyAt, cut.valueEnd));
  std::string pairs = Pairs(entity.Keys(), Tabs(layout.depth + 1));
  std::string connections = Connections(entity, Tabs(layout.depth + 2));
  if ((!connections.empty() || layout.outputsBlockAdded) && !layout.hasConnections) {
    if (const MapBlock* outputs = NewOutputsBlock(entity)) {
      NewBlock(*outputs, layout.depth + 1, pairs);
    } else {
      pairs += ConnectionsBlock(Tabs(layout.depth + 1), connections);
    }
    connections.clear();
  }
  if (!pairs.empty()) Insert(layout.pairsEnd, std::move(pairs), layout.depth);
  if (!connections.empty()) Insert(layout.connectionsEnd, std::move(connections), layout.depth + 1);
}

// A removed entity takes its block, and the pairs and connections read for
// it after its block closed, which the format gives to the last entity read.
void Writer::Removed(const MapEntity& entity) {
  const EntityLayout& layout = entity.layout;
  patches_.push_back(Cut(layout.removalAt, layout.removalEnd));
  auto outside = [&layout](const SourcePlace& place) {
    return place.read && (place.keyAt < layout.removalAt || place.keyAt >= layout.removalEnd);
  };
  for (const KeyValue& pair : entity.Keys()) {
    if (outside(pair.place)) patches_.push_back(Cut(pair.place.keyAt, pair.place.valueEnd));
  }
  for (std::size_t i = 0; i < entity.ConnectionCount(); ++i) {
    const SourcePlace& place = entity.GetConnection(i).place;
    if (outside(place)) patches_.push_back(Cut(place.keyAt, place.valueEnd));
  }
}

// A created entity, written whole (none of its pairs stands in the source):
// its id and class from its fields unless pairs give them.
void Writer::NewEntity(const MapEntity& entity, std::string& out) {
  if (entity.block != nullptr) return NewBlock(*entity.block, 0, out);
  out += "entity" + eol_ + "{" + eol_;
  if (entity.FindKey("id") == nullptr) out += PairLine("\t", "id", std::to_string(entity.Id()));
  if (entity.FindKey("classname") == nullptr) out += PairLine("\t", "classname", entity.Class());
  out += Pairs(entity.Keys(), "\t");
  std::string connections = Connections(entity, "\t\t");
  if (!connections.empty()) out += ConnectionsBlock("\t", connections);
  out += "}" + eol_;
}

// The walk keeps its own stack: nesting has no bound.
void Writer::NewBlock(const MapBlock& block, int depth, std::string& out) {
  struct Open {
    const MapBlock* block;
    int depth;
    std::size_t next;
  };
  std::vector<Open> open;
  NewBlockOpening(block, depth, out);
  open.push_back({&block, depth, 0});
  while (!open.empty()) {
    Open& at = open.back();
    if (at.next < at.block->Children().size()) {
      const MapBlock& child = *at.block->Children()[at.next++];
      const int inside = at.depth + 1;
      NewBlockOpening(child, inside, out);
      open.push_back({&child, inside, 0});
    } else {
      out += BlockTabs(*at.block, at.depth) + "}" + eol_;
      open.pop_back();
    }
  }
}

void Writer::NewBlockOpening(const MapBlock& block, int depth, std::string& out) {
  const std::string tabs = BlockTabs(block, depth);
  const std::string pairTabs = PairTabs(block, depth);
  out.append(tabs).append(block.Name()).append(eol_).append(tabs).append("{").append(eol_);
  bool hasOutputs = false;
  for (const MapBlock* child : block.Children()) hasOutputs |= child->Role() == BlockRole::kOutputs;
  const MapEntity* entity = block.Entity();
  switch (block.Role()) {
    case BlockRole::kEntity:
      if (!entity->layout.writtenInBlock && entity->FindKey("id") == nullptr) {
        out += PairLine(pairTabs, "id", std::to_string(entity->Id()));
      }
      if (!entity->layout.writtenInBlock && entity->FindKey("classname") == nullptr) {
        out += PairLine(pairTabs, "classname", entity->Class());
      }
      out += Pairs(entity->Keys(), pairTabs);
      if (!hasOutputs && entity->ConnectionCount() > 0) {
        out += ConnectionsBlock(pairTabs, Connections(*entity, pairTabs + '\t'));
      }
      break;
    case BlockRole::kOutputs:
      out += Connections(*entity, pairTabs);
      break;
    case BlockRole::kWorld:
      out += Pairs(document_.WorldKeys(), pairTabs);
      break;
    default:
      for (const BlockPair& pair : block.OwnPairs())
        out += PairLine(pairTabs, pair.key, pair.value);
  }
}

bool Writer::WrittenByBlocks(const MapBlock& block) {
  switch (block.Role()) {
    case BlockRole::kEntity:
      return true;
    case BlockRole::kOutputs:
    case BlockRole::kWorld:
      return false;
    default:
      return true;
  }
}

void Writer::EditedBlock(const MapBlock& block) {
  const BlockLayout& layout = block.layout;
  if (block.Role() == BlockRole::kPlain || block.Role() == BlockRole::kTop) {
    for (const SourcePlace& cut : block.Cuts()) patches_.push_back(Cut(cut.keyAt, cut.valueEnd));
    std::string lines;
    for (const BlockPair& pair : block.OwnPairs()) {
      if (!pair.place.read) {
        lines += PairLine(Tabs(layout.depth + 1), pair.key, pair.value);
      } else if (pair.place.edited) {
        Rewrite(pair.place, pair.value);
      }
    }
    if (!lines.empty()) Insert(layout.pairsEnd, std::move(lines), layout.depth);
  }
  // New blocks go where their anchors say, those at one place together.
  std::string children;
  std::size_t at = layout.childrenEnd;
  const int depth = block.Role() == BlockRole::kTop ? -1 : layout.depth;
  auto insert = [&](std::size_t where, std::string text) { Insert(where, std::move(text), depth); };
  for (const MapBlock* child : block.Children()) {
    if (child->layout.read || !WrittenByBlocks(*child)) continue;
    if (child->layout.anchor != at && !children.empty()) insert(at, std::exchange(children, {}));
    at = child->layout.anchor;
    NewBlock(*child, layout.depth + 1, children);
  }
  if (!children.empty()) insert(at, std::move(children));
}

void Writer::Blocks(const BlockTree& tree) {
  for (const MapBlock* removed : tree.RemovedBlocks()) {
    patches_.push_back(Cut(removed->layout.at, removed->layout.end));
  }
  for (const MapBlock* block : tree.EditedBlocks()) {
    if (block->Live() && block->layout.read) EditedBlock(*block);
  }
}

std::shared_ptr<const TextBuffer> Writer::Write() {
  // The world block.
  for (const SourcePlace& cut : document_.WorldCuts()) {
    patches_.push_back(Cut(cut.keyAt, cut.valueEnd));
  }
  std::string worldPairs = Pairs(document_.WorldKeys(), Tabs(document_.layout.worldDepth + 1));
  if (!worldPairs.empty() || (document_.layout.worldBlockAdded && !document_.layout.hasWorld)) {
    if (document_.layout.hasWorld) {
      Insert(document_.layout.worldPairsEnd, std::move(worldPairs), document_.layout.worldDepth);
    } else if (const MapBlock* world = NewWorldBlock()) {
      std::string block;
      NewBlock(*world, 0, block);
      Insert(document_.layout.entitiesEnd, std::move(block), -1);
    } else {
      Insert(document_.layout.entitiesEnd, "world" + eol_ + "{" + eol_ + worldPairs + "}" + eol_,
             -1);
    }
  }

  // Entities read from the source: cut out when removed, else edited in
  // place. Created ones go after the last entity, in the order made.
  for (const MapEntity& entity : document_.AllEntities()) {
    if (!entity.layout.read) continue;
    if (entity.Live()) {
      Entity(entity);
    } else {
      Removed(entity);
    }
  }
  // With a block tree, its pass writes them, in its order.
  std::string created;
  for (std::size_t i = 0; i < document_.EntityCount() && document_.Blocks() == nullptr; ++i) {
    const MapEntity& entity = document_.Entity(i);
    if (!entity.layout.read) NewEntity(entity, created);
  }
  if (!created.empty()) Insert(document_.layout.entitiesEnd, std::move(created), -1);
  if (const BlockTree* tree = document_.Blocks()) Blocks(*tree);

  const std::string tail = Tail();
  if (patches_.empty() && tail.empty()) {
    if (document_.SourceBuffer() != nullptr) return document_.SourceBuffer();
    return std::make_shared<TextBuffer>(0);
  }
  // Patches inside a cut-out block go with it. Those of edited values come
  // in order already.
  auto before = [](const Patch& a, const Patch& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
  };
  if (!std::is_sorted(patches_.begin(), patches_.end(), before)) {
    std::stable_sort(patches_.begin(), patches_.end(), before);
  }
  // Every place lies in the source: anything else is a fault of the model,
  // which stops a checked build and is never copied from.
  for (Patch& patch : patches_) {
    if (patch.begin <= patch.end && patch.end <= source_.size()) continue;
#ifndef NDEBUG
    std::abort();
#endif
    patch.end = std::min(patch.end, source_.size());
    patch.begin = std::min(patch.begin, patch.end);
  }
  // Measured first, then written once into a buffer of the exact size.
  // A patch that starts inside a cut goes with it; a cut that reaches
  // further takes the rest too.
  auto inside = [](const Patch& patch, std::size_t& cursor) {
    if (patch.begin >= cursor) return false;
    if (patch.text.empty() && !patch.quoted) cursor = std::max(cursor, patch.end);
    return true;
  };
  std::size_t size = 0;
  std::size_t cursor = 0;
  for (const Patch& patch : patches_) {
    if (inside(patch, cursor)) continue;
    size += patch.begin - cursor + patch.text.size() + (patch.quoted ? 2 : 0);
    cursor = patch.end;
  }
  size += source_.size() - cursor + tail.size();
  auto out = std::make_shared<TextBuffer>(size);
  char* to = out->data();
  auto put = [&to](std::string_view bytes) {
    if (!bytes.empty()) std::memcpy(to, bytes.data(), bytes.size());
    to += bytes.size();
  };
  cursor = 0;
  for (const Patch& patch : patches_) {
    if (inside(patch, cursor)) continue;
    put(source_.substr(cursor, patch.begin - cursor));
    if (patch.quoted) put("\"");
    put(patch.text);
    if (patch.quoted) put("\"");
    cursor = patch.end;
  }
  put(source_.substr(cursor));
  put(tail);
  return out;
}

}  // namespace

std::shared_ptr<const TextBuffer> WriteMap(const MapDocument& document) {
  return Writer(document).Write();
}

}  // namespace mapwright
