// ScriptHost over a LuaJIT state.
#ifndef MAPWRIGHT_HOST_LUA_SCRIPT_HOST_H
#define MAPWRIGHT_HOST_LUA_SCRIPT_HOST_H

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mapwright/script_host.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace mapwright::host {

class LuaObject;

class LuaScriptHost final : public ScriptHost {
 public:
  explicit LuaScriptHost(lua_State* state);
  // Makes the host's own Lua values; call in protected mode, before use.
  void Initialize();
  ~LuaScriptHost();
  LuaScriptHost(const LuaScriptHost&) = delete;
  LuaScriptHost& operator=(const LuaScriptHost&) = delete;

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

  // The state native functions run on; the trampoline sets it per call so
  // that coroutines work.
  lua_State* State() const { return state_; }
  void SetState(lua_State* state) { state_ = state; }

  // Pushes a Lua function that calls function through this host.
  void PushNative(NativeFunction function);

 private:
  void EnsureStack(int slots);
  void DropReturns();

  lua_State* state_;
  int returnsRef_ = LUA_NOREF;                   // a table holding the results of the last Call
  std::vector<const void*> metaTableAddresses_;  // only userdata carrying one are ours
  std::map<std::string, std::unique_ptr<LuaObject>, std::less<>> metaTables_;
  // The last one asked for: modules push many objects of one kind in a row.
  std::string lastMetaName_;
  ScriptObject* lastMetaTable_ = nullptr;
};

// A message handler for lua_pcall: the error as text, with a traceback.
int ErrorTraceback(lua_State* L);

}  // namespace mapwright::host

#endif
