// What a parse found wrong, as a value: its kind, the line, and what stood
// there. The bindings word it for scripts.
#ifndef MAPWRIGHT_MAP_READ_PARSE_REPORT_H
#define MAPWRIGHT_MAP_READ_PARSE_REPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace mapwright {

enum class ParseProblem : std::uint8_t {
  // Damage (the kind "Syntax").
  kStringNotClosed,       // at the end of the text
  kCommentNotClosed,      // at the end of the text
  kBraceWithoutName,      // a '{' no block name comes before
  kUnexpected,            // found, where a key or block name goes
  kNoValueBeforeBlock,    // key found, then a block
  kNoValueAtEnd,          // key found, then the end of the text
  kNoValueBeforeBrace,    // key found, then a '}'
  kNoValueBeforeComment,  // key found, then a comment
  kKeyFollowedBy,         // key found, then other
  kUnexpectedAfterPair,   // found on the line of a pair
  kBraceWithoutBlock,     // a '}' with no block open
  kBlockNotClosed,        // block found (empty: no name), open blocks open at the end
  kMoreDamage,            // reports stop here
  kTooLarge,              // the text is 4 GiB or larger, and nothing was read
  // An output's value without a separator (the kind "Connection").
  kOutputWithoutSeparator  // key found, value other
};

struct ParseReport {
  explicit ParseReport(ParseProblem what, std::string named = {}, std::string then = {},
                       std::size_t blocksOpen = 0)
      : problem(what), found(std::move(named)), other(std::move(then)), open(blocksOpen) {}

  ParseProblem problem;
  int line = 1;
  std::string found;  // a token as the report names it, a key or a block name
  std::string other;  // what followed a key, or an output's value
  std::size_t open = 0;

  const char* Kind() const {
    return problem == ParseProblem::kOutputWithoutSeparator ? "Connection" : "Syntax";
  }
};

}  // namespace mapwright

#endif
