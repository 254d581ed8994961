// mapwright-lua: runs Lua scripts against the module, loaded as the game
// server loads it.
//
//   mapwright-lua [--root DIR] [--module PATH] SCRIPT.lua [ARGS...]
//   mapwright-lua [--root DIR] [--module PATH] -e CODE [ARGS...]
//   mapwright-lua --version
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/lua_script_host.h"
#include "host/root_path.h"

extern "C" {
#include <lauxlib.h>
#include <lualib.h>
}

namespace {

using mapwright::host::ErrorTraceback;
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
               "       mapwright-lua [--root DIR] [--module PATH] -e CODE [ARGS...]\n"
               "       mapwright-lua --version\n");
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

// Runs in protected mode: a failure raises a Lua error.
void InstallGlobals(lua_State* L, const Options& options) {
  if (luaL_loadbuffer(L, kPrelude, sizeof kPrelude - 1, "=prelude") != 0) lua_error(L);
  lua_call(L, 0, 0);
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

using OpenFunction = int (*)(ScriptHost*);

// What main hands to the protected main function, and what comes back.
struct Run {
  int argc;
  char** argv;
  const Options* options;
  LuaScriptHost* host;
  OpenFunction open;
  int status = 0;  // the exit status
};

// Everything that touches the state runs here, in protected mode, as the
// standalone interpreter does it: set-up errors are reported, never fatal.
int ProtectedMain(lua_State* L) {
  Run& run = *static_cast<Run*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  luaL_openlibs(L);
  InstallGlobals(L, *run.options);
  SetScriptArguments(L, run.argc, run.argv, *run.options);
  run.host->Initialize();
  run.open(run.host);

  const Options& options = *run.options;
  lua_pushcfunction(L, ErrorTraceback);
  int loaded = options.inlineChunk ? luaL_loadbuffer(L, options.script.data(),
                                                     options.script.size(), "=(command line)")
                                   : luaL_loadfile(L, options.script.c_str());
  if (loaded != 0) {
    std::fprintf(stderr, "mapwright-lua: %s\n", lua_tostring(L, -1));
    run.status = kUsageStatus;
    return 0;
  }
  int count = 0;
  for (int i = options.firstScriptArg; i < run.argc; ++i, ++count) lua_pushstring(L, run.argv[i]);
  if (lua_pcall(L, count, 0, 1) != 0) {
    std::fprintf(stderr, "mapwright-lua: %s\n", lua_tostring(L, -1));
    run.status = 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("mapwright-lua %s\n", MAPWRIGHT_VERSION);
    return 0;
  }
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return kUsageStatus;
  }
  std::optional<std::string> root = mapwright::host::RootFolder(options.root);
  if (!root) {
    std::fprintf(stderr, "mapwright-lua: the root %s is no folder that can be used\n",
                 options.root.empty() ? "(the working folder)" : options.root.c_str());
    return kUsageStatus;
  }
  options.root = *root;
  void* library = dlopen(options.modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "mapwright-lua: cannot load module: %s\n", dlerror());
    return kUsageStatus;
  }
  auto open = reinterpret_cast<OpenFunction>(dlsym(library, "gmod_open"));
  auto close = reinterpret_cast<int (*)()>(dlsym(library, "gmod_close"));
  if (open == nullptr || close == nullptr) {
    std::fprintf(stderr, "mapwright-lua: %s lacks gmod_open or gmod_close\n",
                 options.modulePath.c_str());
    dlclose(library);
    return kUsageStatus;
  }

  lua_State* L = luaL_newstate();
  if (L == nullptr) {
    std::fprintf(stderr, "mapwright-lua: cannot create the Lua state: not enough memory\n");
    dlclose(library);
    return kUsageStatus;
  }
  int exitStatus = 0;
  {
    LuaScriptHost host(L);
    Run run{argc, argv, &options, &host, open};
    if (lua_cpcall(L, ProtectedMain, &run) != 0) {
      const char* message = lua_tostring(L, -1);
      std::fprintf(stderr, "mapwright-lua: %s\n",
                   message != nullptr ? message : "(error object is not a string)");
      run.status = 1;
    }
    exitStatus = run.status;
    // Every object is collected while the module is still open.
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_close(L);
    close();
  }
  dlclose(library);
  return exitStatus;
}
