// The script object over a map document: Mapwright.VMF() and the methods of
// the "VMF" metatable.
#ifndef MAPWRIGHT_MAP_DOCUMENT_OBJECT_H
#define MAPWRIGHT_MAP_DOCUMENT_OBJECT_H

#include "mapwright/script_host.h"

namespace mapwright {

int NewDocument(ScriptHost& host);
int DocumentCollect(ScriptHost& host);
int DocumentParse(ScriptHost& host);
int DocumentCreateEntity(ScriptHost& host);
int DocumentRename(ScriptHost& host);
int DocumentEntity(ScriptHost& host);
int DocumentEntityCount(ScriptHost& host);
int DocumentWorldKey(ScriptHost& host);
int DocumentFindWorldKey(ScriptHost& host);
int DocumentWorldKeyCount(ScriptHost& host);
int DocumentFindByClass(ScriptHost& host);
int DocumentFindByName(ScriptHost& host);
int DocumentFindByID(ScriptHost& host);

}  // namespace mapwright

#endif
