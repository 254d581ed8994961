#include "bindings/registration.h"

#include "bindings/script_api.h"
#include "bindings/script_values.h"

namespace mapwright {
namespace {

void SetMembers(ScriptObject& table, std::span<const ScriptFunction> members) {
  for (const ScriptFunction& member : members) {
    table.SetMemberFunction(member.name, member.function);
  }
}

void RegisterLibraryTable(ScriptHost& host) {
  HeldObject library(host.GetGlobal("Mapwright"));
  if (library.get() == nullptr) return;
  SetMembers(*library.get(), LibraryFunctions());
}

void RegisterTokenNumbers(ScriptHost& host) {
  for (const ScriptNumber& number : TokenNumbers()) {
    host.SetGlobalNumber(number.name, static_cast<float>(number.value));
  }
}

void RegisterMetaTable(ScriptHost& host, const ScriptMetaTable& spec) {
  HeldObject table(host.GetMetaTable(spec.meta.name, spec.meta.typeId));
  if (table.get() == nullptr) return;
  if (spec.collect != nullptr) table.get()->SetMemberFunction("__gc", spec.collect);
  table.get()->SetMemberObject("__index", table.get());
  SetMembers(*table.get(), spec.methods);
}

}  // namespace

void RegisterScriptNames(ScriptHost& host) {
  RegisterLibraryTable(host);
  RegisterTokenNumbers(host);
  for (const ScriptMetaTable& table : MetaTables()) RegisterMetaTable(host, table);
}

}  // namespace mapwright
