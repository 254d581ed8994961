// The module's only entry points. Loading the library runs none of the
// module's code; gmod_open binds it to the host and gmod_close unbinds it.
#include "bindings/host_pointer.h"
#include "bindings/registration.h"
#include "map/model/text_buffer.h"
#include "mapwright/script_host.h"

MAPWRIGHT_EXPORT int gmod_open(ScriptHost* host) {
  mapwright::SetHostPointer(host);
  if (host != nullptr) {
    try {
      mapwright::RegisterScriptNames(*host);
    } catch (...) {
      // Registration reports nothing; a host failure leaves what was set.
    }
  }
  return 0;
}

MAPWRIGHT_EXPORT int gmod_close() {
  mapwright::SetHostPointer(nullptr);
  mapwright::ReleaseSpareTextBuffer();
  return 0;
}
