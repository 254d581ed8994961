// The script object over one block of a document: the methods of the
// "VMFBlock" metatable, and an entity's Block(). A handle borrows its block;
// it dies when the block is removed, or its document is parsed again or
// collected.
#ifndef MAPWRIGHT_BINDINGS_BLOCK_OBJECT_H
#define MAPWRIGHT_BINDINGS_BLOCK_OBJECT_H

#include <cstdint>
#include <string_view>

#include "bindings/document_object.h"
#include "mapwright/script_host.h"

namespace mapwright {

// Child i of parent, as Block(i) gives it; nothing outside the children.
int PushChild(ScriptHost& host, DocumentObject& owner, MapBlock& parent, std::int64_t position);
// The first child at or after start with that name, and its index.
int PushFoundChild(ScriptHost& host, DocumentObject& owner, MapBlock& parent, std::string_view name,
                   std::int64_t start);

int BlockName(ScriptHost& host);
int BlockLine(ScriptHost& host);
int BlockKeyCount(ScriptHost& host);
int BlockKey(ScriptHost& host);
int BlockFindKey(ScriptHost& host);
int BlockKeyLine(ScriptHost& host);
int BlockAddKey(ScriptHost& host);
int BlockSetKey(ScriptHost& host);
int BlockRemoveKey(ScriptHost& host);
int BlockSetValue(ScriptHost& host);
int BlockBlockCount(ScriptHost& host);
int BlockBlock(ScriptHost& host);
int BlockFindBlock(ScriptHost& host);
int BlockAddBlock(ScriptHost& host);
int BlockRemoveBlock(ScriptHost& host);
int BlockCollect(ScriptHost& host);
int EntityBlock(ScriptHost& host);

}  // namespace mapwright

#endif
