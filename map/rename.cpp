#include "map/rename.h"

#include <string>

#include "map/name_table.h"

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

  // The text with the suffix when it names an entity.
  void Follow(const char*& text) const {
    if (*text == '\0') return;
    if (const NameTable::Entry* entry = names_.Find(text)) text = Renamed(text, *entry);
  }
  // A key's value: the check on its key comes only after the table's, which
  // turns most values away at once.
  void FollowValue(KeyValue& pair) const {
    if (*pair.value == '\0') return;
    const NameTable::Entry* entry = names_.Find(pair.value);
    if (entry == nullptr || KeepsItsValue(pair.key)) return;
    if (!NamesAnEntity(pair.key) && ReadsAsNumber(pair.value)) return;
    pair.value = Renamed(pair.value, *entry);
    pair.place.edited = true;
  }
  // The parameters with the suffix after the parameter field, when it names
  // an entity.
  void FollowParameter(Connection& connection) const {
    std::string_view parameters = connection.parameters;
    std::string_view parameter = SplitParameters(parameters, connection.separator).parameter;
    if (parameter.empty() || names_.Find(parameter) == nullptr || ReadsAsNumber(parameter)) return;
    std::size_t end =
        static_cast<std::size_t>(parameter.data() - parameters.data()) + parameter.size();
    std::string changed(parameters.substr(0, end));
    changed.append(suffix_).append(parameters.substr(end));
    connection.parameters = texts_.Store(changed);
    connection.place.edited = true;
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

void RenameEntities(MapDocument& document, std::string_view suffix) {
  // The old names; their texts stay alive in the pool, so the table may point
  // into them.
  std::size_t named = 0;
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    named += *document.Entity(i).targetname != '\0' ? 1 : 0;
  }
  if (named == 0 || suffix.empty()) return;
  NameTable names(named);
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    std::string_view name = document.Entity(i).targetname;
    if (!name.empty()) names.Insert(name);
  }

  Renaming renaming(document, suffix, names);
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    MapEntity& entity = document.Entity(i);
    renaming.Follow(entity.targetname);
    for (std::size_t k = 0; k < entity.KeyCount(); ++k) renaming.FollowValue(entity.Key(k));
    for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
      Connection& connection = entity.GetConnection(c);
      const char* target = connection.target;
      renaming.Follow(connection.target);
      if (connection.target != target) connection.place.edited = true;
      renaming.FollowParameter(connection);
    }
  }
}

}  // namespace mapwright
