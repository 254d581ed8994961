#include "map/edit/replace.h"

#include <string>
#include <vector>

#include "map/model/map_block.h"
#include "map/model/map_document.h"
#include "map/model/name_table.h"

namespace mapwright {
namespace {

bool NameMatches(std::string_view name, std::string_view pattern) {
  return pattern == "*" || SameName(name, pattern);
}

// Calls visit(block) for every block of the tree but its top, in file order.
// The walk keeps its own stack: nesting has no bound.
template <typename Visit>
void ForEveryBlock(BlockTree& tree, Visit visit) {
  std::vector<std::pair<MapBlock*, std::size_t>> open{{&tree.Top(), 0}};
  while (!open.empty()) {
    auto& [block, next] = open.back();
    if (next < block->ChildCount()) {
      MapBlock& child = block->Child(next++);
      visit(child);
      open.emplace_back(&child, 0);
    } else {
      open.pop_back();
    }
  }
}

// Calls match(i) for every pair i of block whose key and value match. The
// texts are read where they stand; an output's value is joined only when
// its name matches.
template <typename Match>
void ForMatchingPairs(const MapBlock& block, const PairPattern& pattern, Match match) {
  auto each = [&](const auto& pairs) {
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      if (SameName(pairs[i].key, pattern.key) && MatchesPattern(pairs[i].value, pattern.value)) {
        match(i);
      }
    }
  };
  switch (block.Role()) {
    case BlockRole::kEntity:
      return each(block.Entity()->Keys());
    case BlockRole::kWorld:
      return each(block.Document().WorldKeys());
    case BlockRole::kOutputs:
      for (std::size_t i = 0; i < block.KeyCount(); ++i) {
        if (!SameName(block.Entity()->GetConnection(i).output, pattern.key)) continue;
        if (MatchesPattern(block.Key(i).value, pattern.value)) match(i);
      }
      return;
    default:
      return each(block.OwnPairs());
  }
}

}  // namespace

EditResult ReplaceValues(BlockTree& tree, const PairPattern& pattern, std::string_view to,
                         std::size_t& changed) {
  changed = 0;
  // Checked whole first: a value no matching pair can take changes nothing.
  if (!FitsInQuotes(to)) return EditResult::Refused("the value must not hold a double quote");
  // Only an output can refuse a quote-free value: the check walks the map
  // only for a value no output could take.
  bool refused = false;
  if (!SplitConnectionValue(to)) {
    ForEveryBlock(tree, [&](MapBlock& block) {
      if (refused || block.Role() != BlockRole::kOutputs) return;
      if (!NameMatches(block.Name(), pattern.block)) return;
      ForMatchingPairs(block, pattern, [&](std::size_t) { refused = true; });
    });
  }
  if (refused) {
    return EditResult::Refused(
        "an output's value must be its target and parameters, separated by commas or the ESC "
        "byte");
  }
  std::vector<std::size_t> matched;
  ForEveryBlock(tree, [&](MapBlock& block) {
    if (!NameMatches(block.Name(), pattern.block)) return;
    matched.clear();
    ForMatchingPairs(block, pattern, [&](std::size_t i) { matched.push_back(i); });
    for (std::size_t i : matched) changed += block.SetValue(i, to) ? 1 : 0;
  });
  return EditResult::Done();
}

std::size_t CountBlocks(BlockTree& tree, std::string_view name,
                        const std::optional<PairPattern>& pair) {
  std::size_t count = 0;
  ForEveryBlock(tree, [&](MapBlock& block) {
    if (!NameMatches(block.Name(), name)) return;
    bool holds = !pair;
    if (pair) ForMatchingPairs(block, *pair, [&](std::size_t) { holds = true; });
    count += holds ? 1 : 0;
  });
  return count;
}

}  // namespace mapwright
