// A recording fake of the host's scripting interface: it logs every call the
// module makes, holds tables, globals and metatables as plain maps, and counts
// the handles it handed out and got back.
#ifndef MAPWRIGHT_TESTS_FAKE_HOST_H
#define MAPWRIGHT_TESTS_FAKE_HOST_H

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mapwright/script_host.h"

namespace mapwright::testing {

struct FakeTable;

struct FakeValue {
  enum class Type { kNil, kBoolean, kNumber, kString, kUserData, kTable, kFunction, kNative };
  using ScriptFunction = std::function<std::vector<FakeValue>(const std::vector<FakeValue>&)>;

  Type type = Type::kNil;
  double number = 0;
  std::string text;
  void* pointer = nullptr;     // userdata
  FakeTable* table = nullptr;  // table, or a userdata's metatable
  ScriptFunction function;     // a script function
  NativeFunction native = nullptr;

  static FakeValue Nil() { return {}; }
  static FakeValue Boolean(bool b);  // its truth in number
  static FakeValue Number(double n);
  static FakeValue String(std::string s);
  static FakeValue UserData(void* p, FakeTable* meta = nullptr);
  static FakeValue Function(ScriptFunction f);
};

struct FakeTable {
  std::string name;
  std::map<std::string, FakeValue> members;
};

class FakeHost final : public ScriptHost {
 public:
  FakeHost();
  ~FakeHost();

  // Script-side set-up and inspection.
  FakeTable& Table(const std::string& name);  // a global table, made on first use
  void SetGlobal(const std::string& name, FakeValue value);
  FakeTable* MetaTable(const std::string& name);
  NativeFunction Member(const std::string& table, const std::string& member);
  NativeFunction Method(const std::string& metaTable, const std::string& member);

  // Calls a native function with the given arguments; the values it returned.
  std::vector<FakeValue> Invoke(NativeFunction function, std::vector<FakeValue> args = {});

  std::vector<std::string> log;
  int liveHandles = 0;
  bool failPushUserData = false;  // PushUserData throws, as a host out of memory might
  // Runs at the start of every host call, as a collection with its
  // finalizers may; calls it makes itself do not run it again.
  std::function<void()> collector;
  std::map<std::string, int> metaTypeIds;

  // ScriptHost
  ScriptObject* GetGlobal(const char* name) override;
  const char* GetStringArg(int index) override;
  int GetIntegerArg(int index) override;
  void* GetUserDataArg(int index) override;
  void PushNumber(float value) override;
  void PushString(const char* text) override;
  void SetGlobalNumber(const char* name, float value) override;
  void Call(int argumentCount, int resultCount) override;
  void PushUserData(ScriptObject* metaTable, void* pointer) override;
  ScriptObject* GetMetaTable(const char* name, int typeId) override;
  ScriptObject* GetReturn(int index) override;

  void PushValue(FakeValue value) { stack_.push_back(std::move(value)); }
  ScriptObject* NewHandle(FakeValue value, std::string label);
  static std::string Describe(const FakeValue& value);

 private:
  const FakeValue* Arg(int index) const;
  void MayCollect();
  bool collecting_ = false;

  std::map<std::string, FakeValue> globals_;
  std::map<std::string, std::unique_ptr<FakeTable>> tables_;
  std::vector<FakeValue> args_;
  std::vector<FakeValue> stack_;  // pushed values
  std::vector<FakeValue> returns_;
};

}  // namespace mapwright::testing

#endif
