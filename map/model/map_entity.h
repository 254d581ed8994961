// One entity of a map: its key/value pairs and output connections, with its
// name, class and id kept apart from the pairs, and where it stands in the
// text it was read from, so that edits change only what they must.
#ifndef MAPWRIGHT_MAP_MODEL_MAP_ENTITY_H
#define MAPWRIGHT_MAP_MODEL_MAP_ENTITY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "map/model/name_table.h"
#include "map/model/pair_index.h"
#include "map/model/record_arena.h"
#include "map/model/text_pool.h"

namespace mapwright {

class MapBlock;
class MapDocument;

// Where a pair or connection stands in the document's source text, when it
// was read from it: the start of its key, and its value as written, quotes
// included. Offsets into the source, which is less than 4 GiB: 32 bits keep
// the pairs small, and renaming walks them all.
struct SourcePlace {
  std::uint32_t keyAt = 0;
  std::uint32_t valueAt = 0;
  std::uint32_t valueEnd = 0;
  bool read = false;       // stands in the source text
  bool edited = false;     // its value is to be written anew
  bool keyEdited = false;  // its key (an output's name) too
  bool owned = false;      // its texts are its own copies (TextPool::StoreEdited)
};

struct KeyValue {
  const char* key;
  const char* value;
  SourcePlace place{};
};
using KeyValueList = ArenaVector<KeyValue>;

// A connection's target and parameters stand in the file joined by a comma,
// or, as newer editors save them, by the ESC byte. The record keeps which.
inline constexpr char kCommaSeparator = ',';
inline constexpr char kEscapeSeparator = '\x1b';

struct Connection {
  const char* output;
  const char* target;
  const char* parameters;
  char separator;
  SourcePlace place{};
};

struct ConnectionParts {
  std::string_view target;
  std::string_view parameters;
  char separator;
};
// Splits "target<separator>parameters" at its first ESC, or else at its first
// comma; nothing when it holds neither.
std::optional<ConnectionParts> SplitConnectionValue(std::string_view value);

// The fields of a connection's parameters, as written: input, parameter,
// delay and times. ESC-separated parameters split at every ESC (anything past
// a fourth field stays in times); comma-separated ones take the last two
// fields as delay and times and everything between input and delay as the
// parameter, commas and all. Fields a text lacks are empty.
struct OutputFields {
  std::string_view input;
  std::string_view parameter;
  std::string_view delay;
  std::string_view times;
};
OutputFields SplitParameters(std::string_view parameters, char separator);

// Where an entity read from the source stands in it, and where new text goes.
struct EntityLayout {
  bool read = false;
  std::size_t blockAt = 0;   // the block's name
  std::size_t blockEnd = 0;  // just past its closing brace
  // The block that goes with the entity when it is removed: its own, or a
  // "hidden" block around it that holds nothing else.
  std::size_t removalAt = 0;
  std::size_t removalEnd = 0;
  std::size_t pairsEnd = 0;     // where new pairs go: after the last pair's line
  int depth = 0;                // blocks around the entity block
  bool hasConnections = false;  // a connections block was read
  std::size_t connectionsEnd = 0;
  // A new connections block is written even when it holds nothing: the
  // block tree shows one.
  bool outputsBlockAdded = false;
  // Made inside another block, which writes it; else a new entity goes
  // after the last one.
  bool writtenInBlock = false;
};

// A record's value set by an edit: its own copy, the one it held before
// given back.
inline const char* OwnValue(TextPool& texts, SourcePlace& place, const char* old,
                            std::string_view value) {
  if (place.owned) texts.ReleaseEdited(old);
  place.owned = true;
  return texts.StoreEdited(value);
}
// A record's value going, or replaced by a text that is not its own.
inline void DropValue(TextPool& texts, SourcePlace& place, const char* old) {
  if (place.owned) texts.ReleaseEdited(old);
  place.owned = false;
}

inline const char* TextOf(const char* value) {
  return value;
}
inline const char* TextOf(std::string_view value) {
  return value.data();
}

// Removes every pair of a list (an entity's, the world's, a block's) whose
// key is the same but for ASCII case: the places of those read from the
// source go to cuts, their edited values are given back, and gone(pair) is
// called for each first. False when none had the key.
template <typename List, typename Cuts, typename Gone>
bool RemovePairs(List& pairs, std::string_view key, TextPool& texts, Cuts& cuts, Gone gone) {
  std::size_t kept = 0;
  for (auto& pair : pairs) {
    if (!SameName(key, pair.key)) {
      pairs[kept++] = pair;
      continue;
    }
    if (pair.place.read) cuts.push_back(pair.place);
    gone(pair);
    DropValue(texts, pair.place, TextOf(pair.value));
  }
  if (kept == pairs.size()) return false;
  pairs.resize(kept);
  return true;
}

// A pair a long list lost (MarkPairs): its key is null until the list is
// compacted.
template <typename Pair>
bool Marked(const Pair& pair) {
  return TextOf(pair.key) == nullptr;
}

// Removes the pairs of a key from a long list found through its index, as
// RemovePairs does, but marks them where they stand: the others keep their
// places, so the index stays valid and a run of removals costs what it
// removes. CompactPairs takes them out before the list is read again.
template <typename List, typename Cuts, typename Gone>
bool MarkPairs(List& pairs, PairIndex& index, std::string_view key, TextPool& texts, Cuts& cuts,
               Gone gone, std::uint32_t& marked) {
  PairIndex::Chain& chain = index.Of(key);
  if (chain.first == PairIndex::kNone) return false;
  for (std::uint32_t at = chain.first; at != PairIndex::kNone; at = index.Next(at)) {
    auto& pair = pairs[at];
    if (pair.place.read) cuts.push_back(pair.place);
    gone(pair);
    DropValue(texts, pair.place, TextOf(pair.value));
    pair.key = {};
    ++marked;
  }
  chain = {};
  return true;
}

// Takes the marked pairs out; the index goes with the old places.
template <typename List>
void CompactPairs(List& pairs, std::uint32_t& marked, std::unique_ptr<PairIndex>& index) {
  if (marked == 0) return;
  std::erase_if(pairs, [](const auto& pair) { return Marked(pair); });
  marked = 0;
  index.reset();
}

// Whether map text can hold the text between quotes: the format has no
// escape, so a double quote would end it early.
inline bool FitsInQuotes(std::string_view text) {
  return text.find('"') == std::string_view::npos;
}

// The first pair with exactly that key, or null.
const KeyValue* FindPair(const KeyValueList& pairs, std::string_view key);
// An index of the pairs (an entity's, the world's, a block's) by key.
template <typename List>
std::unique_ptr<PairIndex> IndexOf(const List& pairs) {
  auto index = std::make_unique<PairIndex>();
  for (std::size_t i = 0; i < pairs.size(); ++i) index->Add(pairs[i].key, i);
  return index;
}
// Gives every pair whose key is the same but for ASCII case the value, or
// appends the pair when there is none; calls changed(key) for each pair's
// key. False, changing nothing, when the texts cannot be written. A long
// list is searched through its index, made on first need.
template <typename Changed>
[[nodiscard]] bool SetPairs(KeyValueList& pairs, std::unique_ptr<PairIndex>& index, TextPool& texts,
                            std::string_view key, std::string_view value, Changed changed) {
  if (!FitsInQuotes(key) || !FitsInQuotes(value)) return false;
  bool found = false;
  auto give = [&](KeyValue& pair) {
    pair.value = OwnValue(texts, pair.place, pair.value, value);
    pair.place.edited = true;
    found = true;
    changed(pair.key, pair.value);
  };
  if (index == nullptr && pairs.size() >= PairIndex::kLongList) index = IndexOf(pairs);
  PairIndex::Chain* chain = nullptr;
  if (index != nullptr) {
    chain = &index->Of(key);
    for (std::uint32_t at = chain->first; at != PairIndex::kNone; at = index->Next(at)) {
      give(pairs[at]);
    }
  } else {
    for (KeyValue& pair : pairs) {
      if (SameName(key, pair.key)) give(pair);  // keys are read as names are
    }
  }
  if (!found) {
    KeyValue& added = pairs.emplace_back(KeyValue{texts.Intern(key), ""});
    added.value = OwnValue(texts, added.place, nullptr, value);
    if (chain != nullptr) index->Append(*chain, pairs.size() - 1);
    changed(pairs.back().key, pairs.back().value);
  }
  return true;
}

// Counts the edits of one document, so that a parse can tell whether script
// code it called changed the document.
struct EditCount {
  std::uint64_t value = 0;
  void Bump() { ++value; }
};

// The id conversion of the C library's atoi, without its overflow hazard:
// leading blanks, an optional sign, decimal digits; wraps as glibc does.
std::int32_t ParseEntityId(const char* text);
// The same for a text that need not end with a zero byte.
std::int32_t ParseEntityId(std::string_view text);

class MapEntity {
 public:
  // The entity's texts go to texts, its lists to lists, and its edits are
  // counted in edits.
  MapEntity(MapDocument& document, TextPool& texts, RecordArena& lists, EditCount& edits,
            std::size_t serial)
      : document_(&document),
        texts_(&texts),
        edits_(&edits),
        serial_(serial),
        keys_(ArenaAllocator<KeyValue>(&lists)),
        connections_(ArenaAllocator<Connection>(&lists)),
        cuts_(ArenaAllocator<SourcePlace>(&lists)) {}

  // The name, class and id are set by the entity's creator, and follow
  // SetKey and RemoveKey of their keys; AddKey never changes them.
  const char* Name() const { return name_; }
  const char* Class() const { return class_; }
  std::int32_t Id() const { return id_; }
  // For a new entity: its class and id. False when the class cannot be
  // written.
  [[nodiscard]] bool Create(std::string_view classname, std::int32_t id);

  // The entity's place among all the document has: its room, which a made
  // entity's removal leaves to the next one made.
  std::size_t Serial() const { return serial_; }
  // Gives back the edited texts the entity holds, as it goes.
  void ReleaseTexts();
  // False once taken out of its document.
  bool Live() const { return live_; }
  // The entity's block, once the document's blocks were asked for.
  MapBlock* block = nullptr;

  // The edits below that store texts refuse, changing nothing, texts that
  // map text cannot hold (FitsInQuotes).
  [[nodiscard]] bool AddKey(std::string_view key, std::string_view value);
  // Pairs as the parser read them, their texts stored in the entity's pool:
  // the last name, class or id pair sets the field.
  void AddReadKeys(std::span<const KeyValue> pairs);
  // Room for that many more pairs, when they are about to be added.
  void ReserveKeys(std::size_t more) { GrowFor(keys_, more); }
  std::size_t KeyCount() const { return Keys().size(); }
  const KeyValue& Key(std::size_t i) const { return Keys()[i]; }
  const KeyValueList& Keys() const {
    CompactPairs(keys_, markedKeys_, keyIndex_);
    return keys_;
  }
  // The first pair with exactly that key, or null.
  const KeyValue* FindKey(std::string_view key) const { return FindPair(Keys(), key); }
  // Gives every pair with that key (ASCII case aside) the value, or appends
  // the pair when there is none; the fields follow.
  [[nodiscard]] bool SetKey(std::string_view key, std::string_view value);
  // Removes every pair with that key (ASCII case aside); the fields follow.
  void RemoveKey(std::string_view key);
  // Pair i alone gets the value; the fields follow.
  [[nodiscard]] bool SetValue(std::size_t i, std::string_view value);
  // Pair i's value becomes text, a text of the entity's pool; the fields
  // stay (renaming sets the name itself).
  void ReplaceValue(std::size_t i, const char* text);
  // The name field becomes text, a text of the entity's pool.
  void ReplaceName(const char* text);

  // A new connection, or one the parser read from the place given.
  [[nodiscard]] bool AddConnection(std::string_view output, const ConnectionParts& parts,
                                   const SourcePlace& place = {});
  std::size_t ConnectionCount() const { return connections_.size() - removedFirst_; }
  const Connection& GetConnection(std::size_t i) const { return connections_[removedFirst_ + i]; }
  // Output i becomes the output with parts, where it stands, written with
  // its own separator (parts given with the other one are converted). False,
  // changing nothing, when a text cannot be written.
  [[nodiscard]] bool SetConnection(std::size_t i, std::string_view output,
                                   const ConnectionParts& parts);
  // Connection i's target or parameters become text, a text of the pool.
  void ReplaceTarget(std::size_t i, const char* text);
  void ReplaceParameters(std::size_t i, const char* text);
  void RemoveConnection(std::size_t i);

  EntityLayout layout;
  // The places of removed pairs and connections that stood in the source.
  std::span<const SourcePlace> Cuts() const { return cuts_; }

  TextPool& Texts() { return *texts_; }
  MapDocument& Document() { return *document_; }

 private:
  friend class MapDocument;
  void FieldFollows(std::string_view key, const char* value);

  MapDocument* document_;
  TextPool* texts_;
  EditCount* edits_;
  std::size_t serial_;
  const char* name_ = "";
  const char* class_ = "";
  std::int32_t id_ = 0;
  bool live_ = true;
  // Compacted when read: removals from a long list mark their pairs.
  mutable KeyValueList keys_;
  mutable std::unique_ptr<PairIndex> keyIndex_;  // of a long list, made on first need
  mutable std::uint32_t markedKeys_ = 0;
  Connection& ConnectionAt(std::size_t i) { return connections_[removedFirst_ + i]; }
  void DropTexts(Connection& connection);

  // The connections; the first removedFirst_ of them are gone: removing from
  // either end moves nothing.
  ArenaVector<Connection> connections_;
  std::size_t removedFirst_ = 0;
  ArenaVector<SourcePlace> cuts_;
};

}  // namespace mapwright

#endif
