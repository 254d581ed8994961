#include "map/edit/rename.h"

#include <algorithm>
#include <string>
#include <vector>

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

enum class Affix { kSuffix, kPrefix };

class Renaming {
 public:
  Renaming(MapDocument& document, std::string_view affix, Affix where, const NameTable& names,
           const std::vector<std::string>& folded)
      : texts_(document.Texts()), affix_(affix), where_(where), names_(names), folded_(folded) {}

  // The text with the affix when it names an entity; null when it does not.
  const char* Follow(const char* text) const {
    if (*text == '\0') return nullptr;
    const NameTable::Entry* entry = names_.Find(text);
    if (entry == nullptr) return Wildcard(text) ? Affixed(text) : nullptr;
    return Renamed(text, *entry);
  }
  // A key's value: the check on its key comes only after the table's, which
  // turns most values away at once.
  const char* FollowValue(const KeyValue& pair) const {
    if (*pair.value == '\0') return nullptr;
    const NameTable::Entry* entry = names_.Find(pair.value);
    if (entry == nullptr && !Wildcard(pair.value)) return nullptr;
    if (KeepsItsValue(pair.key)) return nullptr;
    if (!NamesAnEntity(pair.key) && ReadsAsNumber(pair.value)) return nullptr;
    return entry != nullptr ? Renamed(pair.value, *entry) : Affixed(pair.value);
  }
  // The parameters with the affix on the parameter field, when it names an
  // entity; null when it does not.
  const char* FollowParameter(const Connection& connection) const {
    std::string_view parameters = connection.parameters;
    std::string_view parameter = SplitParameters(parameters, connection.separator).parameter;
    if (parameter.empty() || ReadsAsNumber(parameter) ||
        (names_.Find(parameter) == nullptr && !Wildcard(parameter))) {
      return nullptr;
    }
    std::size_t at = static_cast<std::size_t>(parameter.data() - parameters.data());
    if (where_ == Affix::kSuffix) at += parameter.size();
    std::string changed(parameters.substr(0, at));
    changed.append(affix_).append(parameters.substr(at));
    return texts_.Store(changed);
  }

 private:
  // A text spelled exactly as its name shares one renamed text with it.
  const char* Renamed(const char* text, const NameTable::Entry& entry) const {
    if (std::string_view(text) != std::string_view(entry.name, entry.length)) {
      return Affixed(text);
    }
    if (entry.renamed == nullptr) entry.renamed = Affixed(text);
    return entry.renamed;
  }
  const char* Affixed(std::string_view text) const {
    return where_ == Affix::kSuffix ? texts_.Concat(text, affix_) : texts_.Concat(affix_, text);
  }
  // Prefixing only: a reference ending in '*' that matches a name as the
  // engine matches it (folded_ holds the names folded, in order).
  bool Wildcard(std::string_view text) const {
    if (where_ != Affix::kPrefix || text.empty() || text.back() != '*') return false;
    std::string head(text.substr(0, text.size() - 1));
    for (char& c : head) c = static_cast<char>(FoldCase(c));
    auto first = std::lower_bound(folded_.begin(), folded_.end(), head);
    return first != folded_.end() && first->compare(0, head.size(), head) == 0;
  }

  TextPool& texts_;
  std::string_view affix_;
  Affix where_;
  const NameTable& names_;
  const std::vector<std::string>& folded_;
};

bool AffixNames(MapDocument& document, std::string_view affix, Affix where) {
  if (!FitsAsAffix(affix)) return false;
  // The old names; their texts stay alive in the pool, so the table may point
  // into them.
  std::size_t named = 0;
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    named += *document.Entity(i).Name() != '\0' ? 1 : 0;
  }
  if (named == 0 || affix.empty()) return true;
  NameTable names(named);
  std::vector<std::string> folded;  // for wildcards, when prefixing
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    std::string_view name = document.Entity(i).Name();
    if (name.empty()) continue;
    names.Insert(name);
    if (where != Affix::kPrefix) continue;
    std::string& text = folded.emplace_back(name);
    for (char& c : text) c = static_cast<char>(FoldCase(c));
  }
  std::sort(folded.begin(), folded.end());

  Renaming renaming(document, affix, where, names, folded);
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
  return AffixNames(document, suffix, Affix::kSuffix);
}

bool PrefixEntities(MapDocument& document, std::string_view prefix) {
  return AffixNames(document, prefix, Affix::kPrefix);
}

}  // namespace mapwright
