// The game server's scripting interface as the module sees it.
//
// The host owns both classes. The module receives a ScriptHost in gmod_open and
// value handles (ScriptObject) from some of its operations; it gives each handle
// back with UnReference. The slot order of both vtables is part of the binary
// interface: single inheritance, no overloads, no virtual destructor, so that a
// host built with another compiler lays the tables out the same way.
#ifndef MAPWRIGHT_SCRIPT_HOST_H
#define MAPWRIGHT_SCRIPT_HOST_H

// A function that scripts can call. It reads its arguments from the host's
// stack (index 1 is the first), pushes its results and returns their count.
typedef int (*NativeFunction)();

class ScriptObject {
 public:
  virtual void UnReference() = 0;
  virtual const char* GetString() = 0;
  virtual void SetMemberFunction(const char* name, NativeFunction function) = 0;
  virtual void SetMemberObject(const char* name, ScriptObject* value) = 0;
  virtual ScriptObject* GetMember(const char* name) = 0;
  virtual void Push() = 0;

 protected:
  ~ScriptObject() = default;
};

class ScriptHost {
 public:
  virtual ScriptObject* GetGlobal(const char* name) = 0;
  virtual const char* GetStringArg(int index) = 0;
  virtual int GetIntegerArg(int index) = 0;
  virtual void* GetUserDataArg(int index) = 0;
  virtual void PushNumber(float value) = 0;
  virtual void PushString(const char* text) = 0;
  virtual void SetGlobalNumber(const char* name, float value) = 0;
  virtual void Call(int argumentCount, int resultCount) = 0;
  virtual void PushUserData(ScriptObject* metaTable, void* pointer) = 0;
  virtual ScriptObject* GetMetaTable(const char* name, int typeId) = 0;
  virtual ScriptObject* GetReturn(int index) = 0;

 protected:
  ~ScriptHost() = default;
};

#ifdef _WIN32
#define MAPWRIGHT_EXPORT extern "C" __declspec(dllexport)
#else
#define MAPWRIGHT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The module's two exports.
MAPWRIGHT_EXPORT int gmod_open(ScriptHost* host);
MAPWRIGHT_EXPORT int gmod_close();

#endif
