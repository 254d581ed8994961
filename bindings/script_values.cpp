#include "bindings/script_values.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace mapwright {

std::string_view StringArg(ScriptHost& host, int index) {
  const char* text = host.GetStringArg(index);
  return text == nullptr ? std::string_view() : std::string_view(text);
}

std::optional<std::size_t> IndexIn(int argument, std::size_t count) {
  if (argument < 0 || static_cast<std::size_t>(argument) >= count) return std::nullopt;
  return static_cast<std::size_t>(argument);
}

bool ReadsAsScriptNumber(std::string_view text) {
  auto digits = [&text](std::size_t& i) {
    std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i > start;
  };
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::string_view rest = text.substr(i);
  if (rest == "inf" || rest == "nan") return true;
  bool whole = digits(i);
  bool fraction = false;
  if (i < text.size() && text[i] == '.') fraction = digits(++i);
  if (!whole && !fraction) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits(i)) return false;
  }
  return i == text.size();
}

std::int32_t ScriptInteger(const char* text) {
  double value = std::strtod(text, nullptr);
  if (std::isnan(value)) return 0;
  if (value <= std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  if (value >= std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
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
