#include "bindings/script_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "bindings/arguments.h"

namespace mapwright {

std::optional<std::size_t> IndexIn(std::int64_t argument, std::size_t count) {
  if (argument < 0 || static_cast<std::uint64_t>(argument) >= count) return std::nullopt;
  return static_cast<std::size_t>(argument);
}

std::optional<std::int32_t> IdIn(std::int64_t argument) {
  if (argument < std::numeric_limits<std::int32_t>::min() ||
      argument > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(argument);
}

// The C library reads what Lua's arithmetic reads (blanks around, a sign,
// decimals with an exponent, hexadecimal) and more (infinities and NaN, which
// are no whole number); whatever it leaves but blanks makes the text none.
std::optional<std::int64_t> WholeNumber(const char* text) {
  // Most arguments are small indices as the host writes them: plain digits.
  std::int64_t small = 0;
  const char* digit = text;
  while (*digit >= '0' && *digit <= '9' && digit - text < 9) small = small * 10 + (*digit++ - '0');
  if (*digit == '\0' && digit != text) return small;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text) return std::nullopt;
  while (*end == ' ' || (*end >= '\t' && *end <= '\r')) ++end;
  constexpr double kLargest = 9007199254740992.0;  // 2^53: every integer below is exact
  if (*end != '\0' || !std::isfinite(value) || std::trunc(value) != value ||
      std::fabs(value) > kLargest) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(value);
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

std::optional<std::string> WholeNumberText(const char* text) {
  const double value = std::strtod(text, nullptr);
  if (!std::isfinite(value) || std::trunc(value) != value) return std::nullopt;
  char written[32];
  std::snprintf(written, sizeof written, "%.14g", value == 0 ? 0.0 : value);  // never "-0"
  return std::string(written);
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

// The value counts among the token's holders from before the first host
// call: a collection under that call may take the object, but its slot then
// waits for this value's finalizer.
void PushObject(ScriptHost& host, const MetaTableName& meta, void* token) {
  TheLiveObjects().Hold(token);
  try {
    HeldObject metaTable(host.GetMetaTable(meta.name, meta.typeId));
    host.PushUserData(metaTable.get(), token);
  } catch (...) {
    TheLiveObjects().Release(token);
    throw;
  }
}

}  // namespace mapwright
