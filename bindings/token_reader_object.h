// The script object over a token reader: Mapwright.TokenReader(text) and the
// methods of the "TokenReader" metatable.
#ifndef MAPWRIGHT_BINDINGS_TOKEN_READER_OBJECT_H
#define MAPWRIGHT_BINDINGS_TOKEN_READER_OBJECT_H

#include "mapwright/script_host.h"

namespace mapwright {

int NewTokenReader(ScriptHost& host);
int TokenReaderReadToken(ScriptHost& host);
int TokenReaderCollect(ScriptHost& host);

}  // namespace mapwright

#endif
