// Adapts a module function taking the host to the host's NativeFunction type.
// The adapter does nothing once the module is closed, and no C++ exception
// ever leaves it: the host may be written in C.
#ifndef MAPWRIGHT_BINDINGS_NATIVE_H
#define MAPWRIGHT_BINDINGS_NATIVE_H

#include "bindings/host_pointer.h"
#include "mapwright/script_host.h"

namespace mapwright {

using HostFunction = int (*)(ScriptHost& host);

template <HostFunction Function>
int Native() noexcept {
  ScriptHost* host = HostPointer();
  if (host == nullptr) return 0;
  try {
    return Function(*host);
  } catch (...) {
    return 0;
  }
}

}  // namespace mapwright

#endif
