#include "module/script_values.h"

namespace mapwright {

std::string_view StringArg(ScriptHost& host, int index) {
  const char* text = host.GetStringArg(index);
  return text == nullptr ? std::string_view() : std::string_view(text);
}

void PushObject(ScriptHost& host, const MetaTableName& meta, void* token) {
  ScriptObject* metaTable = host.GetMetaTable(meta.name, meta.typeId);
  host.PushUserData(metaTable, token);
  GiveBack(metaTable);
}

}  // namespace mapwright
