#ifndef MAPWRIGHT_MAP_EDIT_RENAME_H
#define MAPWRIGHT_MAP_EDIT_RENAME_H

#include <string_view>

#include "map/model/map_document.h"

namespace mapwright {

// Appends suffix to the name of every entity that has one, and to every text
// that refers to one of those names as they stood before the call, matched as
// the engine resolves names (ASCII letters without regard to case). The
// texts that refer: connection targets; key values that do not read as a
// number, except those of "classname" and "id"; the values of "targetname";
// and output parameters that do not read as a number. Each text gets the
// suffix once, appended to the text as it is written; world pairs never
// change.
// False, changing nothing, when the suffix cannot be written in map text or
// would change what an output means (FitsAsAffix).
[[nodiscard]] bool RenameEntities(MapDocument& document, std::string_view suffix);

// The same, with prefix put in front of every name and reference; and a
// wildcard reference ("door*", matched as the engine matches it) that
// matches a name gets the prefix too, so that it stays within the names of
// its copy when prefixed copies of a map are merged.
[[nodiscard]] bool PrefixEntities(MapDocument& document, std::string_view prefix);

// Whether a text can be put to names: no double quote, and none of the
// separators of an output's value (a comma, the ESC byte), which would split
// a renamed target into other parts when read back.
inline bool FitsAsAffix(std::string_view affix) {
  return affix.find_first_of("\",\x1b") == std::string_view::npos;
}

// Whether a text reads as a number: an optional sign, digits, and an
// optional fraction.
bool ReadsAsNumber(std::string_view text);

}  // namespace mapwright

#endif
