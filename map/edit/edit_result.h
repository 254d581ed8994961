// What an edit job tells its caller: done, or refused with the reason, in
// which case it changed nothing.
#ifndef MAPWRIGHT_MAP_EDIT_EDIT_RESULT_H
#define MAPWRIGHT_MAP_EDIT_EDIT_RESULT_H

namespace mapwright {

struct [[nodiscard]] EditResult {
  const char* refusal = nullptr;  // a text that lives as long as the program

  static EditResult Done() { return {}; }
  static EditResult Refused(const char* why) { return {why}; }
  explicit operator bool() const { return refusal == nullptr; }
};

}  // namespace mapwright

#endif
