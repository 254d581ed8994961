// Jobs over every block of a document in one call: what a script would do
// with a host call per block, done inside the module.
#include <optional>

#include "bindings/arguments.h"
#include "bindings/call_outs.h"
#include "bindings/document_object.h"
#include "bindings/script_values.h"
#include "map/edit/replace.h"

namespace mapwright {
namespace {

using Document = arg::Object<DocumentObject, ObjectKind::kDocument>;

const char kParsing[] = "the document is being parsed";

}  // namespace

int DocumentReplace(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Document, arg::Text, arg::Text, arg::Text, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, block, key, from, to] = *args;
  BlockTree* tree = owner->Blocks();
  if (tree == nullptr) return PushFailure(host, kParsing);
  std::size_t changed = 0;
  if (EditResult done = ReplaceValues(*tree, {block, key, from}, to, changed); !done) {
    return PushFailure(host, done.refusal);
  }
  return PushCount(host, changed);
}

// Without a value, a pair with the key counts whatever its value.
int DocumentCount(ScriptHost& host) {
  WrongArgument wrong;
  auto args =
      ReadArguments<Document, arg::Text, arg::OptionalText, arg::OptionalText>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, block, key, value] = *args;
  if (!key && value) return PushFailure(host, "a value is counted only with its key");
  BlockTree* tree = owner->Blocks();
  if (tree == nullptr) return PushFailure(host, kParsing);
  std::optional<PairPattern> pair;
  if (key) pair = PairPattern{block, *key, value.value_or("*")};
  return PushCount(host, CountBlocks(*tree, block, pair));
}

}  // namespace mapwright
