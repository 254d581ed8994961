// mapwright-lua: runs Lua scripts against the module, loaded as the game
// server loads it.
//
//   mapwright-lua [--root DIR] [--module PATH] SCRIPT.lua [ARGS...]
//   mapwright-lua [--root DIR] [--module PATH] -e CODE [ARGS...]
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/lua_script_host.h"
#include "host/root_path.h"

extern "C" {
#include <lauxlib.h>
#include <lualib.h>
}

namespace {

using mapwright::host::LuaScriptHost;

constexpr int kUsageStatus = 2;

struct Options {
  std::string root;
  std::string modulePath;
  std::string script;  // a file, or the chunk given with -e
  bool inlineChunk = false;
  int firstScriptArg = 0;  // index into argv of the first script argument
};

void PrintUsage() {
  std::fprintf(stderr,
               "usage: mapwright-lua [--root DIR] [--module PATH] SCRIPT.lua [ARGS...]\n"
               "       mapwright-lua [--root DIR] [--module PATH] -e CODE [ARGS...]\n");
}

std::string DefaultModulePath() {
  std::vector<char> self(4096);
  ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (length <= 0) return "libmapwright.so";
  std::string path(self.data(), static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + "../lib/libmapwright.so";
}

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc; ++i) {
    std::string flag = argv[i];
    if ((flag == "--root" || flag == "--module" || flag == "-e") && i + 1 >= argc) return false;
    if (flag == "--root") {
      options.root = argv[++i];
    } else if (flag == "--module") {
      options.modulePath = argv[++i];
    } else if (flag == "-e") {
      options.script = argv[++i];
      options.inlineChunk = true;
      ++i;
      break;
    } else if (!flag.empty() && flag[0] == '-' && flag != "-") {
      return false;
    } else {
      options.script = argv[i++];
      break;
    }
  }
  if (options.script.empty() && !options.inlineChunk) return false;
  options.firstScriptArg = i;
  if (options.modulePath.empty()) options.modulePath = DefaultModulePath();
  options.root = mapwright::host::AbsoluteFolder(options.root);
  return true;
}

// util.RelativePathToFull(path): the path's full form under the root, or nil.
int RelativePathToFull(lua_State* L) {
  const char* root = lua_tostring(L, lua_upvalueindex(1));
  size_t length = 0;
  const char* path = lua_tolstring(L, 1, &length);
  if (path == nullptr) return 0;
  auto full = mapwright::host::ResolveUnderRoot(root, std::string_view(path, length));
  if (!full) return 0;
  lua_pushlstring(L, full->data(), full->size());
  return 1;
}

const char kPrelude[] = R"lua(
Mapwright = Mapwright or {}
util = util or {}
function VMFParseFailure(kind, message)
  io.stderr:write("[mapwright-lua] warning: VMF parse failure (", tostring(kind), "): ",
                  tostring(message), "\n")
end
)lua";

void InstallGlobals(lua_State* L, const Options& options) {
  luaL_dostring(L, kPrelude);
  lua_getglobal(L, "util");
  lua_pushstring(L, options.root.c_str());
  lua_pushcclosure(L, RelativePathToFull, 1);
  lua_setfield(L, -2, "RelativePathToFull");
  lua_pop(L, 1);
}

// The global arg as the standalone interpreter sets it: the script at 0, its
// arguments from 1, the interpreter and its options below 0.
void SetScriptArguments(lua_State* L, int argc, char** argv, const Options& options) {
  int scriptIndex = options.firstScriptArg - 1;
  lua_createtable(L, argc - scriptIndex, scriptIndex + 1);
  for (int i = 0; i < argc; ++i) {
    lua_pushstring(L, argv[i]);
    lua_rawseti(L, -2, i - scriptIndex);
  }
  lua_setglobal(L, "arg");
}

int Traceback(lua_State* L) {
  const char* message = lua_tostring(L, 1);
  luaL_traceback(L, L, message != nullptr ? message : "(error object is not a string)", 1);
  return 1;
}

// Runs the chunk on top of the stack with the script arguments; the Lua
// status of the run.
int RunChunk(lua_State* L, int argc, char** argv, const Options& options) {
  lua_pushcfunction(L, Traceback);
  lua_insert(L, -2);
  int count = 0;
  for (int i = options.firstScriptArg; i < argc; ++i, ++count) lua_pushstring(L, argv[i]);
  int status = lua_pcall(L, count, 0, -count - 2);
  if (status != 0) {
    std::fprintf(stderr, "mapwright-lua: %s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return kUsageStatus;
  }
  void* library = dlopen(options.modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "mapwright-lua: cannot load module: %s\n", dlerror());
    return kUsageStatus;
  }
  auto open = reinterpret_cast<int (*)(ScriptHost*)>(dlsym(library, "gmod_open"));
  auto close = reinterpret_cast<int (*)()>(dlsym(library, "gmod_close"));
  if (open == nullptr || close == nullptr) {
    std::fprintf(stderr, "mapwright-lua: %s lacks gmod_open or gmod_close\n",
                 options.modulePath.c_str());
    dlclose(library);
    return kUsageStatus;
  }

  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  InstallGlobals(L, options);
  SetScriptArguments(L, argc, argv, options);
  int exitStatus = 0;
  {
    LuaScriptHost host(L);
    open(&host);
    int loaded = options.inlineChunk ? luaL_loadbuffer(L, options.script.data(),
                                                       options.script.size(), "=(command line)")
                                     : luaL_loadfile(L, options.script.c_str());
    if (loaded != 0) {
      std::fprintf(stderr, "mapwright-lua: %s\n", lua_tostring(L, -1));
      exitStatus = kUsageStatus;
    } else if (RunChunk(L, argc, argv, options) != 0) {
      exitStatus = 1;
    }
    // Every object is collected while the module is still open.
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_close(L);
    close();
  }
  dlclose(library);
  return exitStatus;
}
