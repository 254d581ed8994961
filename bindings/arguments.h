// The one way a native function reads its arguments.
//
// ReadArguments<Kinds...>(host) reads argument 1, 2, ... from the host, one
// per kind, then checks each and finds the objects they name. Every host read
// comes before the first lookup: a read may run the collector, whose
// finalizers may free the very objects the arguments name, so a lookup made
// before a later read could hand out a freed object. When any argument is not
// what its kind takes, the result is empty and the function does nothing, or
// tells the script which argument was wrong (PushWrongArgument).
#ifndef MAPWRIGHT_BINDINGS_ARGUMENTS_H
#define MAPWRIGHT_BINDINGS_ARGUMENTS_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "bindings/live_objects.h"
#include "mapwright/script_host.h"

namespace mapwright {

// The integer a script value stands for: a number, or a text that Lua's own
// arithmetic takes as one ("12", " 0x1F ", "1e3"), that is finite and whole
// and within 2^53. Hosts hand numbers over as their text.
std::optional<std::int64_t> WholeNumber(const char* text);

namespace arg {

// A text; a number counts as its text. Up to the first zero byte: the host
// passes C strings.
struct Text {
  static constexpr const char* kWanted = "a text";
  using Raw = const char*;
  using Value = std::string_view;
  static Raw Read(ScriptHost& host, int index) { return host.GetStringArg(index); }
  static std::optional<Value> Take(Raw raw) {
    if (raw == nullptr) return std::nullopt;
    return Value(raw);
  }
};

// A text, or none: the host hands over nil (and any value that is no text or
// number) as none.
struct OptionalText {
  static constexpr const char* kWanted = "a text or nil";
  using Raw = const char*;
  using Value = std::optional<std::string_view>;
  static Raw Read(ScriptHost& host, int index) { return host.GetStringArg(index); }
  static std::optional<Value> Take(Raw raw) {
    return raw != nullptr ? Value(std::string_view(raw)) : Value();
  }
};

// An index, count or id: see WholeNumber.
struct Integer {
  static constexpr const char* kWanted = "a whole number";
  using Raw = const char*;
  using Value = std::int64_t;
  static Raw Read(ScriptHost& host, int index) { return host.GetStringArg(index); }
  static std::optional<Value> Take(Raw raw) {
    return raw != nullptr ? WholeNumber(raw) : std::nullopt;
  }
};

// What an argument of an object kind must be.
constexpr const char* WantedObject(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::kTokenReader:
      return "a token reader";
    case ObjectKind::kDocument:
      return "a VMF document";
    case ObjectKind::kEntity:
      return "a live entity";
    case ObjectKind::kBlock:
      return "a live block";
  }
  return "an object";
}

// A live native object of one kind.
template <typename T, ObjectKind kKind>
struct Object {
  static constexpr const char* kWanted = WantedObject(kKind);
  using Raw = void*;
  using Value = T*;
  static Raw Read(ScriptHost& host, int index) { return host.GetUserDataArg(index); }
  static std::optional<Value> Take(Raw raw) {
    if (T* object = static_cast<T*>(TheLiveObjects().Find(raw, kKind))) return object;
    return std::nullopt;
  }
};

// A live native object of one kind, with a share that keeps it alive while
// the function runs script code.
template <typename T, ObjectKind kKind>
struct SharedObject {
  static constexpr const char* kWanted = WantedObject(kKind);
  using Raw = void*;
  using Value = std::shared_ptr<T>;
  static Raw Read(ScriptHost& host, int index) { return host.GetUserDataArg(index); }
  static std::optional<Value> Take(Raw raw) {
    std::shared_ptr<T> object = std::static_pointer_cast<T>(TheLiveObjects().Share(raw, kKind));
    if (object == nullptr) return std::nullopt;
    return object;
  }
};

}  // namespace arg

// The first argument that was not what its kind takes.
struct WrongArgument {
  int index = 0;  // from 1
  const char* wanted = nullptr;
};

template <typename... Kinds>
std::optional<std::tuple<typename Kinds::Value...>> ReadArguments(ScriptHost& host,
                                                                  WrongArgument* wrong = nullptr) {
  return [&host, wrong ]<std::size_t... I>(std::index_sequence<I...>)
      ->std::optional<std::tuple<typename Kinds::Value...>> {
    // Braced initialisation reads the host in argument order.
    std::tuple<typename Kinds::Raw...> raw{Kinds::Read(host, static_cast<int>(I) + 1)...};
    std::tuple<std::optional<typename Kinds::Value>...> taken{Kinds::Take(std::get<I>(raw))...};
    if (!(std::get<I>(taken).has_value() && ...)) {
      if (wrong != nullptr) {
        constexpr const char* kWanted[] = {Kinds::kWanted...};
        const bool present[] = {std::get<I>(taken).has_value()...};
        int first = 0;
        while (present[first]) ++first;
        *wrong = {first + 1, kWanted[first]};
      }
      return std::nullopt;
    }
    return std::tuple<typename Kinds::Value...>{std::move(*std::get<I>(taken))...};
  }
  (std::index_sequence_for<Kinds...>{});
}

}  // namespace mapwright

#endif
