#include "bindings/host_pointer.h"

namespace mapwright {
namespace {
ScriptHost* gHost = nullptr;
}

ScriptHost* HostPointer() {
  return gHost;
}
void SetHostPointer(ScriptHost* host) {
  gHost = host;
}

}  // namespace mapwright
