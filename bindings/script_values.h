// Reading arguments and pushing results, shared by every native function.
#ifndef MAPWRIGHT_BINDINGS_SCRIPT_VALUES_H
#define MAPWRIGHT_BINDINGS_SCRIPT_VALUES_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bindings/live_objects.h"
#include "bindings/metatables.h"
#include "mapwright/script_host.h"

namespace mapwright {

// An index argument as an index into count elements; nothing outside 0 to
// count-1.
[[nodiscard]] std::optional<std::size_t> IndexIn(std::int64_t argument, std::size_t count);
// An id argument; nothing outside the 32-bit range ids have.
[[nodiscard]] std::optional<std::int32_t> IdIn(std::int64_t argument);

// Whether a script would read the text as a number: decimal, with an
// optional sign, fraction and exponent, or an infinity or NaN as Lua writes
// them.
bool ReadsAsScriptNumber(std::string_view text);
// Such a text as Lua writes the number ("%.14g") when it is whole and finite;
// nothing for a fraction, an infinity or NaN.
std::optional<std::string> WholeNumberText(const char* text);

// Pushes a count as a number; returns the count of results, 1.
int PushCount(ScriptHost& host, std::size_t count);
// Pushes two texts, such as a key and its value; returns 2. The texts are
// the caller's copies: the first push may run a collection that frees what
// they were copied from.
int PushTwoTexts(ScriptHost& host, const std::string& first, const std::string& second);

// Pushes a new userdata holding token, with the named metatable; the
// registry counts it among the token's holders.
void PushObject(ScriptHost& host, const MetaTableName& meta, void* token);

// Hands a new native object to the script: registers it and pushes its
// userdata. Should the host fail to push it, the registry lets it go again.
template <typename T>
void PushNewObject(ScriptHost& host, ObjectKind kind, const MetaTableName& meta,
                   std::shared_ptr<T> object) {
  void* token = TheLiveObjects().Add(kind, std::move(object));
  try {
    PushObject(host, meta, token);
  } catch (...) {
    TheLiveObjects().Remove(token, kind);
    throw;
  }
}

// Gives a handle back when there is one.
inline void GiveBack(ScriptObject* object) {
  if (object != nullptr) object->UnReference();
}

// A handle given back when the scope ends, also when a host call throws.
class HeldObject {
 public:
  explicit HeldObject(ScriptObject* object) : object_(object) {}
  ~HeldObject() { GiveBack(object_); }
  HeldObject(const HeldObject&) = delete;
  HeldObject& operator=(const HeldObject&) = delete;
  ScriptObject* get() const { return object_; }

 private:
  ScriptObject* object_;
};

}  // namespace mapwright

#endif
