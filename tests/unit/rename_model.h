// The renaming rules written plainly, for the tests and the fuzzer to check
// the renaming against: names match with ASCII case folded; classname and id
// values never follow, numbers follow only as names; targets always follow;
// an output's parameter follows unless it is a number.
#ifndef MAPWRIGHT_TESTS_RENAME_MODEL_H
#define MAPWRIGHT_TESTS_RENAME_MODEL_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace mapwright::testing {

inline std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Optional sign, digits, optional fraction of digits.
inline bool PlainNumber(const std::string& text) {
  std::size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  std::size_t digits = text.find_first_not_of("0123456789", i);
  if (digits == i) return false;
  if (digits == std::string::npos) return true;
  if (text[digits] != '.' || digits + 1 == text.size()) return false;
  return text.find_first_not_of("0123456789", digits + 1) == std::string::npos;
}

// Whether the value of key follows a renaming, given that it names an entity.
inline bool ValueFollows(const std::string& key, const std::string& value) {
  std::string lower = Lower(key);
  if (lower == "classname" || lower == "id") return false;
  return lower == "targetname" || !PlainNumber(value);
}

// Where the parameter stands in "input,parameter...,delay,times" or its ESC
// form: for commas, everything between the input and the last two fields.
inline std::pair<std::size_t, std::size_t> ParameterSpan(const std::string& parameters,
                                                         char separator) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (parameters[i] == separator) at.push_back(i);
  }
  if (at.empty()) return {parameters.size(), parameters.size()};
  std::size_t end = at.size() >= 2 ? at[1] : parameters.size();
  if (separator == ',' && at.size() >= 3) end = at[at.size() - 2];
  return {at[0] + 1, end};
}

}  // namespace mapwright::testing

#endif
