// The whole script API in one list: every name the module registers, in
// registration order, with its native function. Registration walks these
// tables; nothing else names the methods again.
#ifndef MAPWRIGHT_BINDINGS_SCRIPT_API_H
#define MAPWRIGHT_BINDINGS_SCRIPT_API_H

#include <span>

#include "bindings/metatables.h"
#include "mapwright/script_host.h"
#include "tokenizer/token_type.h"

namespace mapwright {

struct ScriptFunction {
  const char* name;
  NativeFunction function;
};

struct ScriptNumber {
  const char* name;
  TokenType value;
};

// A metatable's contents: "__gc" when its objects own a native object, then
// "__index" (the metatable itself), then the methods.
struct ScriptMetaTable {
  MetaTableName meta;
  NativeFunction collect;  // null for borrowed objects
  std::span<const ScriptFunction> methods;
};

// Members of the global table "Mapwright".
std::span<const ScriptFunction> LibraryFunctions();
// The token kinds as global numbers.
std::span<const ScriptNumber> TokenNumbers();
// The metatables, in registration order.
std::span<const ScriptMetaTable> MetaTables();

}  // namespace mapwright

#endif
