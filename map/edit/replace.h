// Jobs over every block of a document in one call, as a script would walk
// them: a value swapped in every pair that holds it, and blocks counted.
#ifndef MAPWRIGHT_MAP_EDIT_REPLACE_H
#define MAPWRIGHT_MAP_EDIT_REPLACE_H

#include <cstddef>
#include <optional>
#include <string_view>

#include "map/edit/edit_result.h"
#include "map/model/block_tree.h"

namespace mapwright {

// Which blocks and pairs a job takes: blocks named block ("*" for any), and
// of them pairs with the key, both ASCII case aside, whose value matches
// value as the engine matches material and class names (ASCII case aside,
// a '*' at its end matching any rest).
struct PairPattern {
  std::string_view block;
  std::string_view key;
  std::string_view value;
};

// Every matching pair gets the value to, as block SetValue gives it (an
// entity's name, class and id follow), and changed says how many did.
// Refused, changing nothing, when to cannot be written in one of them.
EditResult ReplaceValues(BlockTree& tree, const PairPattern& pattern, std::string_view to,
                         std::size_t& changed);

// How many blocks are named name ("*" for any, ASCII case aside), or hold a
// pair that matches pair when it is given (its block name is not read).
std::size_t CountBlocks(BlockTree& tree, std::string_view name,
                        const std::optional<PairPattern>& pair);

}  // namespace mapwright

#endif
