#include "map/edit/rename.h"

#include <string>

#include "map/model/name_table.h"

namespace mapwright {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Keys whose values are never references, and the key whose values always
// are; the first letter turns most keys away before any comparison.
bool KeepsItsValue(std::string_view key) {
  char first = key.empty() ? '\0' : static_cast<char>(key[0] | 0x20);
  return (first == 'c' && SameName(key, "classname")) || (first == 'i' && SameName(key, "id"));
}
bool NamesAnEntity(std::string_view key) {
  return !key.empty() && (key[0] | 0x20) == 't' && SameName(key, "targetname");
}

class Renaming {
 public:
  Renaming(MapDocument& document, std::string_view suffix, const NameTable& names)
      : texts_(document.Texts()), suffix_(suffix), names_(names) {}

  // The text with the suffix when it names an entity; null when it does not.
  const char* Follow(const char* text) const {
    if (*text == '\0') return nullptr;
    const NameTable::Entry* entry = names_.Find(text);
    return entry != nullptr ? Renamed(text, *entry) : nullptr;
  }
  // A key's value: the check on its key comes only after the table's, which
  // turns most values away at once.
  const char* FollowValue(const KeyValue& pair) const {
    if (*pair.value == '\0') return nullptr;
    const NameTable::Entry* entry = names_.Find(pair.value);
    if (entry == nullptr || KeepsItsValue(pair.key)) return nullptr;
    if (!NamesAnEntity(pair.key) && ReadsAsNumber(pair.value)) return nullptr;
    return Renamed(pair.value, *entry);
  }
  // The parameters with the suffix after the parameter field, when it names
  // an entity; null when it does not.
  const char* FollowParameter(const Connection& connection) const {
    std::string_view parameters = connection.parameters;
    std::string_view parameter = SplitParameters(parameters, connection.separator).parameter;
    if (parameter.empty() || names_.Find(parameter) == nullptr || ReadsAsNumber(parameter)) {
      return nullptr;
    }
    std::size_t end =
        static_cast<std::size_t>(parameter.data() - parameters.data()) + parameter.size();
    std::string changed(parameters.substr(0, end));
    changed.append(suffix_).append(parameters.substr(end));
    return texts_.Store(changed);
  }

 private:
  // A text spelled exactly as its name shares one renamed text with it.
  const char* Renamed(const char* text, const NameTable::Entry& entry) const {
    if (std::string_view(text) != std::string_view(entry.name, entry.length)) {
      return texts_.Concat(text, suffix_);
    }
    if (entry.renamed == nullptr) entry.renamed = texts_.Concat(text, suffix_);
    return entry.renamed;
  }

  TextPool& texts_;
  std::string_view suffix_;
  const NameTable& names_;
};

}  // namespace

bool ReadsAsNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == digits) return false;
  if (i < text.size() && text[i] == '.') {
    std::size_t fraction = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == fraction) return false;
  }
  return i == text.size();
}

bool RenameEntities(MapDocument& document, std::string_view suffix) {
  if (!FitsInQuotes(suffix)) return false;
  // The old names; their texts stay alive in the pool, so the table may point
  // into them.
  std::size_t named = 0;
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    named += *document.Entity(i).Name() != '\0' ? 1 : 0;
  }
  if (named == 0 || suffix.empty()) return true;
  NameTable names(named);
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    std::string_view name = document.Entity(i).Name();
    if (!name.empty()) names.Insert(name);
  }

  Renaming renaming(document, suffix, names);
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    MapEntity& entity = document.Entity(i);
    if (const char* name = renaming.Follow(entity.Name())) entity.ReplaceName(name);
    for (std::size_t k = 0; k < entity.KeyCount(); ++k) {
      if (const char* value = renaming.FollowValue(entity.Key(k))) entity.ReplaceValue(k, value);
    }
    for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
      const Connection& connection = entity.GetConnection(c);
      if (const char* target = renaming.Follow(connection.target)) entity.ReplaceTarget(c, target);
      if (const char* parameters = renaming.FollowParameter(connection)) {
        entity.ReplaceParameters(c, parameters);
      }
    }
  }
  return true;
}

}  // namespace mapwright
