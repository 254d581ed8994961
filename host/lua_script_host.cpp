#include "host/lua_script_host.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

extern "C" {
#include <lauxlib.h>
}

namespace mapwright::host {

// A value held in the Lua registry. A persistent one (a metatable handle)
// belongs to the host and outlives every UnReference.
class LuaObject final : public ScriptObject {
 public:
  LuaObject(LuaScriptHost& host, lua_State* state, bool persistent = false)
      : host_(host), persistent_(persistent) {
    ref_ = luaL_ref(state, LUA_REGISTRYINDEX);
  }

  void UnReference() override {
    if (persistent_) return;
    luaL_unref(host_.State(), LUA_REGISTRYINDEX, ref_);
    delete this;
  }

  // Only a string is text; any other value reads as the empty text, so that a
  // resolver returning a number or a table names no file.
  const char* GetString() override {
    lua_State* L = host_.State();
    PushValue(L);
    if (lua_type(L, -1) == LUA_TSTRING) {
      text_.assign(lua_tostring(L, -1), lua_strlen(L, -1));
    } else {
      text_.clear();
    }
    lua_pop(L, 1);
    return text_.c_str();
  }

  void SetMemberFunction(const char* name, NativeFunction function) override {
    lua_State* L = host_.State();
    PushValue(L);
    if (lua_istable(L, -1)) {
      lua_pushstring(L, name);
      host_.PushNative(function);
      lua_rawset(L, -3);
    }
    lua_pop(L, 1);
  }

  void SetMemberObject(const char* name, ScriptObject* value) override {
    lua_State* L = host_.State();
    PushValue(L);
    if (lua_istable(L, -1) && value != nullptr) {
      lua_pushstring(L, name);
      value->Push();
      lua_rawset(L, -3);
    }
    lua_pop(L, 1);
  }

  ScriptObject* GetMember(const char* name) override {
    lua_State* L = host_.State();
    PushValue(L);
    if (lua_istable(L, -1)) {
      lua_pushstring(L, name);
      lua_rawget(L, -2);
    } else {
      lua_pushnil(L);
    }
    lua_remove(L, -2);
    return new LuaObject(host_, L);
  }

  void Push() override { PushValue(host_.State()); }

 private:
  void PushValue(lua_State* L) {
    lua_checkstack(L, 4);
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref_);
  }

  LuaScriptHost& host_;
  bool persistent_;
  int ref_;
  std::string text_;
};

namespace {

// Every native function is this closure, with the host and the function as
// upvalues. No C++ exception crosses into Lua: it becomes a Lua error, raised
// after the catch block has ended.
int Trampoline(lua_State* L) {
  auto* host = static_cast<LuaScriptHost*>(lua_touserdata(L, lua_upvalueindex(1)));
  auto* function = static_cast<NativeFunction*>(lua_touserdata(L, lua_upvalueindex(2)));
  lua_State* outer = host->State();
  host->SetState(L);
  int results = 0;
  std::string error;
  try {
    results = (*function)();
  } catch (const std::exception& failure) {
    error = failure.what();
  } catch (...) {
    error = "unknown C++ exception";
  }
  host->SetState(outer);
  if (!error.empty()) return luaL_error(L, "%s", error.c_str());
  return results;
}

}  // namespace

// The error message as the standalone interpreter prints it: a text, or what
// the object's __tostring makes of it, with a traceback.
int ErrorTraceback(lua_State* L) {
  const char* message = lua_tostring(L, 1);
  if (message == nullptr) {
    if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING) {
      message = lua_tostring(L, -1);
    } else {
      message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    }
  }
  luaL_traceback(L, L, message, 1);
  return 1;
}

LuaScriptHost::LuaScriptHost(lua_State* state) : state_(state) {}

void LuaScriptHost::Initialize() {
  lua_newtable(state_);
  returnsRef_ = luaL_ref(state_, LUA_REGISTRYINDEX);
}

LuaScriptHost::~LuaScriptHost() = default;

void LuaScriptHost::EnsureStack(int slots) {
  if (!lua_checkstack(state_, slots)) throw std::runtime_error("Lua stack overflow");
}

void LuaScriptHost::PushNative(NativeFunction function) {
  EnsureStack(3);
  lua_pushlightuserdata(state_, this);
  auto* slot = static_cast<NativeFunction*>(lua_newuserdata(state_, sizeof(NativeFunction)));
  *slot = function;
  lua_pushcclosure(state_, Trampoline, 2);
}

ScriptObject* LuaScriptHost::GetGlobal(const char* name) {
  EnsureStack(1);
  lua_getfield(state_, LUA_GLOBALSINDEX, name);
  return new LuaObject(*this, state_);
}

// A string, or a number as Lua converts it; no text for any other value.
const char* LuaScriptHost::GetStringArg(int index) {
  int type = lua_type(state_, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return nullptr;
  return lua_tostring(state_, index);
}

int LuaScriptHost::GetIntegerArg(int index) {
  if (lua_type(state_, index) != LUA_TNUMBER) return 0;
  double value = lua_tonumber(state_, index);
  if (std::isnan(value)) return 0;
  if (value <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (value >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

// Only a userdata whose metatable came from GetMetaTable was made by
// PushUserData; the metatables stay in the registry, so their addresses do
// not change.
void* LuaScriptHost::GetUserDataArg(int index) {
  if (lua_type(state_, index) != LUA_TUSERDATA || !lua_getmetatable(state_, index)) return nullptr;
  const void* metaTable = lua_topointer(state_, -1);
  lua_pop(state_, 1);
  for (const void* ours : metaTableAddresses_) {
    if (ours == metaTable) return *static_cast<void**>(lua_touserdata(state_, index));
  }
  return nullptr;
}

void LuaScriptHost::PushNumber(float value) {
  EnsureStack(1);
  lua_pushnumber(state_, value);
}

void LuaScriptHost::PushString(const char* text) {
  EnsureStack(1);
  lua_pushstring(state_, text != nullptr ? text : "");
}

void LuaScriptHost::SetGlobalNumber(const char* name, float value) {
  EnsureStack(1);
  lua_pushnumber(state_, value);
  lua_setfield(state_, LUA_GLOBALSINDEX, name);
}

void LuaScriptHost::DropReturns() {
  lua_newtable(state_);
  lua_rawseti(state_, LUA_REGISTRYINDEX, returnsRef_);
}

// Calls the function below the arguments, protected: a script error is
// printed like a server console line and the call yields nils.
void LuaScriptHost::Call(int argumentCount, int resultCount) {
  EnsureStack(resultCount + 3);
  int functionIndex = lua_gettop(state_) - argumentCount;
  if (argumentCount < 0 || resultCount < 0 || functionIndex < 1) return;
  lua_pushcfunction(state_, ErrorTraceback);
  lua_insert(state_, functionIndex);
  if (lua_pcall(state_, argumentCount, resultCount, functionIndex) != 0) {
    std::fprintf(stderr, "[mapwright-lua] error in script callback: %s\n",
                 lua_tostring(state_, -1));
    lua_pop(state_, 1);
    for (int i = 0; i < resultCount; ++i) lua_pushnil(state_);
  }
  lua_remove(state_, functionIndex);
  DropReturns();
  lua_rawgeti(state_, LUA_REGISTRYINDEX, returnsRef_);
  lua_insert(state_, -resultCount - 1);
  for (int i = resultCount; i >= 1; --i) lua_rawseti(state_, -i - 1, i);
  lua_pop(state_, 1);
}

void LuaScriptHost::PushUserData(ScriptObject* metaTable, void* pointer) {
  EnsureStack(2);
  *static_cast<void**>(lua_newuserdata(state_, sizeof(void*))) = pointer;
  if (metaTable != nullptr) {
    metaTable->Push();
    lua_setmetatable(state_, -2);
  }
}

// One handle per metatable, kept by the host: GetMetaTable is called for
// every object a script is given.
ScriptObject* LuaScriptHost::GetMetaTable(const char* name, int /*typeId*/) {
  if (lastMetaTable_ != nullptr && lastMetaName_ == name) return lastMetaTable_;
  auto known = metaTables_.find(name);
  if (known != metaTables_.end()) {
    lastMetaName_ = name;
    lastMetaTable_ = known->second.get();
    return lastMetaTable_;
  }
  EnsureStack(1);
  luaL_newmetatable(state_, name);
  metaTableAddresses_.push_back(lua_topointer(state_, -1));
  auto handle = std::make_unique<LuaObject>(*this, state_, true);
  ScriptObject* result = handle.get();
  metaTables_.emplace(name, std::move(handle));
  return result;
}

ScriptObject* LuaScriptHost::GetReturn(int index) {
  EnsureStack(2);
  lua_rawgeti(state_, LUA_REGISTRYINDEX, returnsRef_);
  lua_rawgeti(state_, -1, index + 1);
  lua_remove(state_, -2);
  return new LuaObject(*this, state_);
}

}  // namespace mapwright::host
