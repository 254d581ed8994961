#include "fake_host.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <sstream>

namespace mapwright::testing {

FakeValue FakeValue::Boolean(bool b) {
  FakeValue v;
  v.type = Type::kBoolean;
  v.number = b ? 1 : 0;
  return v;
}

FakeValue FakeValue::Number(double n) {
  FakeValue v;
  v.type = Type::kNumber;
  v.number = n;
  return v;
}

FakeValue FakeValue::String(std::string s) {
  FakeValue v;
  v.type = Type::kString;
  v.text = std::move(s);
  return v;
}

FakeValue FakeValue::UserData(void* p, FakeTable* meta) {
  FakeValue v;
  v.type = Type::kUserData;
  v.pointer = p;
  v.table = meta;
  return v;
}

FakeValue FakeValue::Function(ScriptFunction f) {
  FakeValue v;
  v.type = Type::kFunction;
  v.function = std::move(f);
  return v;
}

namespace {

class FakeHandle final : public ScriptObject {
 public:
  FakeHandle(FakeHost& host, FakeValue value, std::string label)
      : host_(host), value_(std::move(value)), label_(std::move(label)) {
    ++host_.liveHandles;
  }

  void UnReference() override {
    host_.log.push_back("UnReference " + label_);
    --host_.liveHandles;
    delete this;
  }

  const char* GetString() override {
    host_.log.push_back("GetString " + label_);
    if (value_.type == FakeValue::Type::kNumber) {
      std::ostringstream out;
      out << value_.number;
      value_.text = out.str();
    }
    return value_.text.c_str();
  }

  void SetMemberFunction(const char* name, NativeFunction function) override {
    host_.log.push_back("SetMemberFunction " + label_ + "." + name);
    if (value_.type != FakeValue::Type::kTable) return;
    FakeValue member;
    member.type = FakeValue::Type::kNative;
    member.native = function;
    value_.table->members[name] = member;
  }

  void SetMemberObject(const char* name, ScriptObject* object) override {
    auto* other = static_cast<FakeHandle*>(object);
    host_.log.push_back("SetMemberObject " + label_ + "." + name + " " + other->label_);
    if (value_.type == FakeValue::Type::kTable) value_.table->members[name] = other->value_;
  }

  ScriptObject* GetMember(const char* name) override {
    host_.log.push_back("GetMember " + label_ + "." + name);
    FakeValue member;
    if (value_.type == FakeValue::Type::kTable) {
      auto found = value_.table->members.find(name);
      if (found != value_.table->members.end()) member = found->second;
    }
    return host_.NewHandle(member, label_ + "." + name);
  }

  void Push() override {
    host_.log.push_back("Push " + label_);
    host_.PushValue(value_);
  }

 private:
  FakeHost& host_;
  FakeValue value_;
  std::string label_;
};

}  // namespace

FakeHost::FakeHost() = default;
FakeHost::~FakeHost() = default;

ScriptObject* FakeHost::NewHandle(FakeValue value, std::string label) {
  return new FakeHandle(*this, std::move(value), std::move(label));
}

FakeTable& FakeHost::Table(const std::string& name) {
  auto found = globals_.find(name);
  if (found != globals_.end() && found->second.type == FakeValue::Type::kTable) {
    return *found->second.table;
  }
  auto table = std::make_unique<FakeTable>();
  table->name = name;
  FakeValue value;
  value.type = FakeValue::Type::kTable;
  value.table = table.get();
  globals_[name] = value;
  FakeTable& result = *table;
  tables_["global " + name] = std::move(table);
  return result;
}

void FakeHost::SetGlobal(const std::string& name, FakeValue value) {
  globals_[name] = std::move(value);
}

FakeTable* FakeHost::MetaTable(const std::string& name) {
  auto found = tables_.find("meta " + name);
  return found == tables_.end() ? nullptr : found->second.get();
}

NativeFunction FakeHost::Member(const std::string& table, const std::string& member) {
  return Table(table).members[member].native;
}

NativeFunction FakeHost::Method(const std::string& metaTable, const std::string& member) {
  FakeTable* meta = MetaTable(metaTable);
  return meta == nullptr ? nullptr : meta->members[member].native;
}

std::vector<FakeValue> FakeHost::Invoke(NativeFunction function, std::vector<FakeValue> args) {
  std::vector<FakeValue> savedArgs = std::move(args_);
  std::vector<FakeValue> savedStack = std::move(stack_);
  args_ = std::move(args);
  stack_.clear();
  int count = function();
  std::vector<FakeValue> results;
  if (count > 0 && static_cast<std::size_t>(count) <= stack_.size()) {
    results.assign(stack_.end() - count, stack_.end());
  }
  args_ = std::move(savedArgs);
  stack_ = std::move(savedStack);
  return results;
}

std::string FakeHost::Describe(const FakeValue& value) {
  switch (value.type) {
    case FakeValue::Type::kNil:
      return "nil";
    case FakeValue::Type::kBoolean:
      return value.number != 0 ? "true" : "false";
    case FakeValue::Type::kNumber: {
      std::ostringstream out;
      out << value.number;
      return out.str();
    }
    case FakeValue::Type::kString:
      return "\"" + value.text + "\"";
    case FakeValue::Type::kUserData:
      return "userdata " + (value.table != nullptr ? value.table->name : std::string("?"));
    case FakeValue::Type::kTable:
      return "table " + value.table->name;
    case FakeValue::Type::kFunction:
      return "function";
    case FakeValue::Type::kNative:
      return "native";
  }
  return "?";
}

void FakeHost::MayCollect() {
  if (!collector || collecting_) return;
  collecting_ = true;
  collector();
  collecting_ = false;
}

const FakeValue* FakeHost::Arg(int index) const {
  if (index < 1 || static_cast<std::size_t>(index) > args_.size()) return nullptr;
  return &args_[index - 1];
}

ScriptObject* FakeHost::GetGlobal(const char* name) {
  MayCollect();
  log.push_back(std::string("GetGlobal ") + name);
  auto found = globals_.find(name);
  return NewHandle(found == globals_.end() ? FakeValue() : found->second, name);
}

const char* FakeHost::GetStringArg(int index) {
  MayCollect();
  log.push_back("GetStringArg " + std::to_string(index));
  auto* arg = const_cast<FakeValue*>(Arg(index));
  if (arg != nullptr && arg->type == FakeValue::Type::kNumber) {
    // As the real host does: a number argument becomes its text, in place.
    char text[32];
    std::snprintf(text, sizeof text, "%.14g", arg->number);
    *arg = FakeValue::String(text);
  }
  if (arg == nullptr || arg->type != FakeValue::Type::kString) return nullptr;
  return arg->text.c_str();
}

int FakeHost::GetIntegerArg(int index) {
  MayCollect();
  log.push_back("GetIntegerArg " + std::to_string(index));
  const FakeValue* arg = Arg(index);
  if (arg == nullptr || arg->type != FakeValue::Type::kNumber || std::isnan(arg->number)) return 0;
  return static_cast<int>(std::clamp(arg->number, -2147483648.0, 2147483647.0));
}

void* FakeHost::GetUserDataArg(int index) {
  MayCollect();
  log.push_back("GetUserDataArg " + std::to_string(index));
  const FakeValue* arg = Arg(index);
  if (arg == nullptr || arg->type != FakeValue::Type::kUserData) return nullptr;
  return arg->pointer;
}

void FakeHost::PushNumber(float value) {
  MayCollect();
  std::ostringstream out;
  out << value;
  log.push_back("PushNumber " + out.str());
  stack_.push_back(FakeValue::Number(value));
}

void FakeHost::PushString(const char* text) {
  MayCollect();
  log.push_back(std::string("PushString ") + (text != nullptr ? text : "(null)"));
  stack_.push_back(FakeValue::String(text != nullptr ? text : ""));
}

void FakeHost::SetGlobalNumber(const char* name, float value) {
  MayCollect();
  std::ostringstream out;
  out << value;
  log.push_back(std::string("SetGlobalNumber ") + name + " " + out.str());
  globals_[name] = FakeValue::Number(value);
}

void FakeHost::Call(int argumentCount, int resultCount) {
  MayCollect();
  log.push_back("Call " + std::to_string(argumentCount) + " " + std::to_string(resultCount));
  std::vector<FakeValue> callArgs(stack_.end() - argumentCount, stack_.end());
  stack_.resize(stack_.size() - argumentCount);
  FakeValue function = stack_.back();
  stack_.pop_back();
  returns_.clear();
  if (function.type == FakeValue::Type::kFunction) returns_ = function.function(callArgs);
  returns_.resize(static_cast<std::size_t>(resultCount));
}

void FakeHost::PushUserData(ScriptObject* metaTable, void* pointer) {
  MayCollect();
  if (failPushUserData) throw std::bad_alloc();
  FakeTable* meta = nullptr;
  std::string label = "?";
  if (metaTable != nullptr) {
    FakeValue value;
    metaTable->Push();  // the handle's value, read back from the stack
    value = stack_.back();
    stack_.pop_back();
    log.pop_back();
    meta = value.table;
    label = meta != nullptr ? meta->name : "?";
  }
  log.push_back("PushUserData " + label);
  stack_.push_back(FakeValue::UserData(pointer, meta));
}

ScriptObject* FakeHost::GetMetaTable(const char* name, int typeId) {
  MayCollect();
  log.push_back(std::string("GetMetaTable ") + name + " " + std::to_string(typeId));
  metaTypeIds[name] = typeId;
  auto& table = tables_["meta " + std::string(name)];
  if (!table) {
    table = std::make_unique<FakeTable>();
    table->name = name;
  }
  FakeValue value;
  value.type = FakeValue::Type::kTable;
  value.table = table.get();
  return NewHandle(value, name);
}

ScriptObject* FakeHost::GetReturn(int index) {
  MayCollect();
  log.push_back("GetReturn " + std::to_string(index));
  FakeValue value;
  if (index >= 0 && static_cast<std::size_t>(index) < returns_.size()) value = returns_[index];
  return NewHandle(value, "return" + std::to_string(index));
}

}  // namespace mapwright::testing
