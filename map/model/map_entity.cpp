#include "map/model/map_entity.h"

#include <algorithm>
#include <limits>
#include <string>

#include "map/model/map_document.h"

namespace mapwright {

std::optional<ConnectionParts> SplitConnectionValue(std::string_view value) {
  char separator = kEscapeSeparator;
  std::size_t split = value.find(kEscapeSeparator);
  if (split == std::string_view::npos) {
    separator = kCommaSeparator;
    split = value.find(kCommaSeparator);
  }
  if (split == std::string_view::npos) return std::nullopt;
  return ConnectionParts{value.substr(0, split), value.substr(split + 1), separator};
}

OutputFields SplitParameters(std::string_view parameters, char separator) {
  OutputFields fields;
  std::string_view* order[] = {&fields.input, &fields.parameter, &fields.delay, &fields.times};
  std::string_view rest = parameters;
  std::size_t count = 0;
  for (std::size_t stop; count < 4; ++count) {
    stop = count == 3 ? std::string_view::npos : rest.find(separator);
    *order[count] = rest.substr(0, stop);
    if (stop == std::string_view::npos) {
      ++count;
      break;
    }
    rest.remove_prefix(stop + 1);
  }
  if (separator == kCommaSeparator && count == 4) {
    // The parameter reaches up to the second comma from the end.
    std::size_t timesComma = parameters.rfind(separator);
    std::size_t delayComma = parameters.rfind(separator, timesComma - 1);
    std::size_t start = fields.input.size() + 1;
    fields.parameter = parameters.substr(start, delayComma - start);
    fields.delay = parameters.substr(delayComma + 1, timesComma - delayComma - 1);
    fields.times = parameters.substr(timesComma + 1);
  }
  return fields;
}

std::int32_t ParseEntityId(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  constexpr std::uint64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (overflow) continue;
    if (magnitude > kLimit / 10 + 1) {
      overflow = true;
      continue;
    }
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(*text - '0');
    if (magnitude > kLimit + (negative ? 1 : 0)) overflow = true;
  }
  // strtol saturates at the long range; atoi then keeps the low 32 bits.
  std::uint64_t bits;
  if (overflow) {
    bits = negative ? kLimit + 1 : kLimit;
  } else {
    bits = negative ? (~magnitude + 1) : magnitude;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

std::int32_t ParseEntityId(std::string_view text) {
  char digits[32];
  const std::size_t length = std::min(text.size(), sizeof digits - 1);
  text.copy(digits, length);
  digits[length] = '\0';
  return ParseEntityId(digits);
}

bool MapEntity::Create(std::string_view classname, std::int32_t id) {
  if (!FitsInQuotes(classname)) return false;
  class_ = texts_->Intern(classname);  // classes repeat
  id_ = id;
  document_->NoteIdWritten("entity", false, "id", std::to_string(id));  // the writer writes it
  edits_->Bump();
  return true;
}

bool MapEntity::AddKey(std::string_view key, std::string_view value) {
  if (!FitsInQuotes(key) || !FitsInQuotes(value)) return false;
  KeyValue& added = keys_.emplace_back(KeyValue{texts_->Intern(key), ""});
  added.value = OwnValue(*texts_, added.place, nullptr, value);
  if (keyIndex_ != nullptr) keyIndex_->Add(key, keys_.size() - 1);
  document_->NoteIdWritten("entity", false, key, value);
  edits_->Bump();
  return true;
}

void MapEntity::AddReadKeys(std::span<const KeyValue> pairs) {
  CompactPairs(keys_, markedKeys_, keyIndex_);
  keyIndex_.reset();
  keys_.insert(keys_.end(), pairs.begin(), pairs.end());  // exactly as many, when the first
  for (const KeyValue& pair : pairs) FieldFollows(pair.key, pair.value);
}

const KeyValue* FindPair(const KeyValueList& pairs, std::string_view key) {
  for (const KeyValue& pair : pairs) {
    if (key == pair.key) return &pair;
  }
  return nullptr;
}

// The fields follow pairs whose key is exactly the field's, as the parser
// reads them.
void MapEntity::FieldFollows(std::string_view key, const char* value) {
  if (key == "targetname") {
    name_ = value;
  } else if (key == "classname") {
    class_ = value;
  } else if (key == "id") {
    id_ = ParseEntityId(value);
  }
}

bool MapEntity::SetKey(std::string_view key, std::string_view value) {
  bool stored = SetPairs(keys_, keyIndex_, *texts_, key, value,
                         [this](std::string_view pairKey, const char* text) {
                           FieldFollows(pairKey, text);
                           document_->NoteIdWritten("entity", false, pairKey, text);
                         });
  if (stored) edits_->Bump();
  return stored;
}

void MapEntity::RemoveKey(std::string_view key) {
  auto gone = [this](const KeyValue& pair) { FieldFollows(pair.key, ""); };
  if (keyIndex_ == nullptr && keys_.size() >= PairIndex::kLongList) keyIndex_ = IndexOf(keys_);
  if (keyIndex_ != nullptr) {
    if (!MarkPairs(keys_, *keyIndex_, key, *texts_, cuts_, gone, markedKeys_)) return;
  } else if (!RemovePairs(keys_, key, *texts_, cuts_, gone)) {
    return;
  }
  edits_->Bump();
}

bool MapEntity::SetValue(std::size_t i, std::string_view value) {
  if (!FitsInQuotes(value)) return false;
  CompactPairs(keys_, markedKeys_, keyIndex_);
  KeyValue& pair = keys_[i];
  pair.value = OwnValue(*texts_, pair.place, pair.value, value);
  pair.place.edited = true;
  FieldFollows(pair.key, pair.value);
  document_->NoteIdWritten("entity", false, pair.key, pair.value);
  edits_->Bump();
  return true;
}

void MapEntity::DropTexts(Connection& connection) {
  if (!connection.place.owned) return;
  texts_->ReleaseEdited(connection.target);
  texts_->ReleaseEdited(connection.parameters);
  connection.place.owned = false;
}

void MapEntity::ReleaseTexts() {
  for (KeyValue& pair : keys_) DropValue(*texts_, pair.place, pair.value);
  for (std::size_t i = 0; i < ConnectionCount(); ++i) DropTexts(ConnectionAt(i));
}

void MapEntity::ReplaceValue(std::size_t i, const char* text) {
  // An edited value it replaces stays until the document is cleared: the
  // name field may still point at it.
  CompactPairs(keys_, markedKeys_, keyIndex_);
  keys_[i].place.owned = false;
  keys_[i].value = text;
  keys_[i].place.edited = true;
  edits_->Bump();
}

void MapEntity::ReplaceName(const char* text) {
  name_ = text;
  edits_->Bump();
}

bool MapEntity::AddConnection(std::string_view output, const ConnectionParts& parts,
                              const SourcePlace& place) {
  if (!place.read &&
      (!FitsInQuotes(output) || !FitsInQuotes(parts.target) || !FitsInQuotes(parts.parameters))) {
    return false;
  }
  auto store = [this, &place](std::string_view text) {
    return place.read ? texts_->Store(text) : texts_->StoreEdited(text);
  };
  connections_.push_back({texts_->Intern(output), store(parts.target), store(parts.parameters),
                          parts.separator, place});
  connections_.back().place.owned = !place.read;
  edits_->Bump();
  return true;
}

namespace {

// Parameters written with one separator, in the other: ESC-separated fields
// join with commas; comma-separated ones split as SplitParameters splits
// them (the parameter may hold commas) and join with ESC.
std::string WithSeparator(std::string_view parameters, char from, char to) {
  std::string converted(parameters);
  if (from == to) return converted;
  if (from == kCommaSeparator && std::count(parameters.begin(), parameters.end(), ',') >= 3) {
    OutputFields fields = SplitParameters(parameters, from);
    converted.assign(fields.input).append(1, to).append(fields.parameter);
    converted.append(1, to).append(fields.delay).append(1, to).append(fields.times);
    return converted;
  }
  std::replace(converted.begin(), converted.end(), from, to);
  return converted;
}

}  // namespace

bool MapEntity::SetConnection(std::size_t i, std::string_view output,
                              const ConnectionParts& parts) {
  if (!FitsInQuotes(output) || !FitsInQuotes(parts.target) || !FitsInQuotes(parts.parameters)) {
    return false;
  }
  Connection& connection = ConnectionAt(i);
  const std::string parameters =
      WithSeparator(parts.parameters, parts.separator, connection.separator);
  if (output != connection.output) {
    connection.output = texts_->Intern(output);
    connection.place.keyEdited = true;
  }
  DropTexts(connection);
  connection.target = texts_->StoreEdited(parts.target);
  connection.parameters = texts_->StoreEdited(parameters);
  connection.place.owned = true;
  connection.place.edited = true;
  edits_->Bump();
  return true;
}

void MapEntity::ReplaceTarget(std::size_t i, const char* text) {
  ConnectionAt(i).place.owned = false;  // its texts stay until the document is cleared
  ConnectionAt(i).target = text;
  ConnectionAt(i).place.edited = true;
  edits_->Bump();
}

void MapEntity::ReplaceParameters(std::size_t i, const char* text) {
  ConnectionAt(i).place.owned = false;
  ConnectionAt(i).parameters = text;
  ConnectionAt(i).place.edited = true;
  edits_->Bump();
}

void MapEntity::RemoveConnection(std::size_t i) {
  if (ConnectionAt(i).place.read) cuts_.push_back(ConnectionAt(i).place);
  DropTexts(ConnectionAt(i));
  // The shorter side moves up: the ones before i, or the ones after it.
  auto first = connections_.begin() + static_cast<std::ptrdiff_t>(removedFirst_);
  auto at = first + static_cast<std::ptrdiff_t>(i);
  if (i < ConnectionCount() / 2) {
    std::move_backward(first, at, at + 1);
    ++removedFirst_;
  } else {
    connections_.erase(at);
  }
  // The room of the removed ones is taken back once they outnumber the rest.
  if (removedFirst_ > 16 && removedFirst_ > ConnectionCount()) {
    connections_.erase(connections_.begin(),
                       connections_.begin() + static_cast<std::ptrdiff_t>(removedFirst_));
    removedFirst_ = 0;
  }
  edits_->Bump();
}

}  // namespace mapwright
