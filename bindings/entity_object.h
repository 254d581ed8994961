// The script object over one entity of a document: the methods of the
// "VMFEntity" metatable. A handle borrows its entity; it dies when the
// entity is removed, or its document is parsed again or collected.
#ifndef MAPWRIGHT_BINDINGS_ENTITY_OBJECT_H
#define MAPWRIGHT_BINDINGS_ENTITY_OBJECT_H

#include "mapwright/script_host.h"

namespace mapwright {

int EntityKey(ScriptHost& host);
int EntityKeyCount(ScriptHost& host);
int EntityConnection(ScriptHost& host);
int EntityConnectionCount(ScriptHost& host);
int EntityClass(ScriptHost& host);
int EntityID(ScriptHost& host);
int EntityAddKey(ScriptHost& host);
int EntityAddConnection(ScriptHost& host);
int EntityFindKey(ScriptHost& host);
int EntityCollect(ScriptHost& host);
int EntitySetConnection(ScriptHost& host);
int EntityConnectionParts(ScriptHost& host);
int EntitySetKey(ScriptHost& host);
int EntityRemoveKey(ScriptHost& host);
int EntityRemoveConnection(ScriptHost& host);

}  // namespace mapwright

#endif
