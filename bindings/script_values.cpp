#include "bindings/script_values.h"

namespace mapwright {

std::string_view StringArg(ScriptHost& host, int index) {
  const char* text = host.GetStringArg(index);
  return text == nullptr ? std::string_view() : std::string_view(text);
}

std::optional<std::size_t> IndexIn(int argument, std::size_t count) {
  if (argument < 0 || static_cast<std::size_t>(argument) >= count) return std::nullopt;
  return static_cast<std::size_t>(argument);
}

int PushCount(ScriptHost& host, std::size_t count) {
  host.PushNumber(static_cast<float>(count));
  return 1;
}

int PushTwoTexts(ScriptHost& host, const std::string& first, const std::string& second) {
  host.PushString(first.c_str());
  host.PushString(second.c_str());
  return 2;
}

void PushObject(ScriptHost& host, const MetaTableName& meta, void* token) {
  HeldObject metaTable(host.GetMetaTable(meta.name, meta.typeId));
  host.PushUserData(metaTable.get(), token);
}

}  // namespace mapwright
