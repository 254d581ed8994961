#include "bindings/parse_messages.h"

namespace mapwright {
namespace {

std::string Words(const ParseReport& report) {
  const std::string& found = report.found;
  switch (report.problem) {
    case ParseProblem::kStringNotClosed:
      return "string not closed at the end of the text";
    case ParseProblem::kCommentNotClosed:
      return "comment not closed at the end of the text";
    case ParseProblem::kBraceWithoutName:
      return "'{' without a block name";
    case ParseProblem::kUnexpected:
      return "unexpected " + found;
    case ParseProblem::kNoValueBeforeBlock:
      return "key " + found + " has no value before a block";
    case ParseProblem::kNoValueAtEnd:
      return "key " + found + " has no value at the end of the text";
    case ParseProblem::kNoValueBeforeBrace:
      return "key " + found + " has no value before '}'";
    case ParseProblem::kNoValueBeforeComment:
      return "key " + found + " has no value before the comment";
    case ParseProblem::kKeyFollowedBy:
      return found + " is followed by " + report.other;
    case ParseProblem::kUnexpectedAfterPair:
      return "unexpected " + found + " after a pair";
    case ParseProblem::kBraceWithoutBlock:
      return "'}' with no open block";
    case ParseProblem::kBlockNotClosed: {
      std::string words = found.empty() ? "a block without a name" : "block \"" + found + "\"";
      words += " is not closed at the end of the text";
      if (report.open > 1) words += " (" + std::to_string(report.open) + " blocks open)";
      return words;
    }
    case ParseProblem::kMoreDamage:
      return "more damage follows, not reported";
    case ParseProblem::kTooLarge:
      return "the text is 4 GiB or larger; nothing was read";
    case ParseProblem::kOutputWithoutSeparator:
      break;
  }
  return {};
}

}  // namespace

std::string MessageOf(const ParseReport& report) {
  if (report.problem == ParseProblem::kOutputWithoutSeparator) {
    return "Keyvalue found inside of connections block. { Key = " + report.found +
           ", Value = " + report.other + " }";
  }
  return "line " + std::to_string(report.line) + ": " + Words(report);
}

}  // namespace mapwright
