#include "module/script_values.h"

namespace mapwright {

std::string_view StringArg(ScriptHost& host, int index) {
  const char* text = host.GetStringArg(index);
  return text == nullptr ? std::string_view() : std::string_view(text);
}

bool IndexArg(ScriptHost& host, int position, std::size_t count, std::size_t& index) {
  int value = host.GetIntegerArg(position);
  if (value < 0 || static_cast<std::size_t>(value) >= count) return false;
  index = static_cast<std::size_t>(value);
  return true;
}

int PushCount(ScriptHost& host, std::size_t count) {
  host.PushNumber(static_cast<float>(count));
  return 1;
}

int PushTwoTexts(ScriptHost& host, const char* first, const char* second) {
  host.PushString(first);
  host.PushString(second);
  return 2;
}

void PushObject(ScriptHost& host, const MetaTableName& meta, void* token) {
  HeldObject metaTable(host.GetMetaTable(meta.name, meta.typeId));
  host.PushUserData(metaTable.get(), token);
}

}  // namespace mapwright
