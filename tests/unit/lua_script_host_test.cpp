#include "host/lua_script_host.h"

#include <gtest/gtest.h>

extern "C" {
#include <lualib.h>
}

namespace mapwright::host {
namespace {

// Only a userdata the host made with one of its metatables gives its pointer
// back; a foreign one holding the very same bytes gives nothing.
TEST(LuaScriptHost, ForeignUserdataGivesNoPointer) {
  lua_State* L = luaL_newstate();
  ASSERT_NE(L, nullptr);
  {
    LuaScriptHost host(L);
    host.Initialize();
    void* token = reinterpret_cast<void*>(0x1235);
    host.PushUserData(host.GetMetaTable("VMF", 2003), token);
    *static_cast<void**>(lua_newuserdata(L, sizeof(void*))) = token;  // no metatable
    *static_cast<void**>(lua_newuserdata(L, sizeof(void*))) = token;
    luaL_newmetatable(L, "Foreign");
    lua_setmetatable(L, -2);
    EXPECT_EQ(host.GetUserDataArg(1), token);
    EXPECT_EQ(host.GetUserDataArg(2), nullptr);
    EXPECT_EQ(host.GetUserDataArg(3), nullptr);
    EXPECT_EQ(host.GetUserDataArg(4), nullptr);  // no such argument
  }
  lua_close(L);
}

}  // namespace
}  // namespace mapwright::host
