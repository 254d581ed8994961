// The script object over a map document: Mapwright.VMF() and the methods of
// the "VMF" metatable.
#ifndef MAPWRIGHT_BINDINGS_DOCUMENT_OBJECT_H
#define MAPWRIGHT_BINDINGS_DOCUMENT_OBJECT_H

#include <vector>

#include "map/model/map_document.h"
#include "mapwright/script_host.h"

namespace mapwright {

// What a script's document value owns: the document, and the tokens of the
// entity handles given out, so that they die with the entities.
class DocumentObject {
 public:
  DocumentObject() = default;
  ~DocumentObject() { RevokeEntityHandles(); }
  DocumentObject(const DocumentObject&) = delete;
  DocumentObject& operator=(const DocumentObject&) = delete;

  MapDocument document;

  // The entity's handle token, made on first use and the same afterwards.
  void* EntityToken(MapEntity& entity);
  // Kills every entity handle; called before the entities are destroyed.
  void RevokeEntityHandles();
  // Kills the handle of one entity, taken out of the document.
  void RevokeEntityHandle(const MapEntity& entity);

 private:
  std::vector<void*> entityTokens_;
};

void PushEntity(ScriptHost& host, DocumentObject& owner, MapEntity& entity);

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
int DocumentFindNextByName(ScriptHost& host);
int DocumentFindNextByClass(ScriptHost& host);
int DocumentText(ScriptHost& host);
int DocumentSetWorldKey(ScriptHost& host);
int DocumentRemoveEntity(ScriptHost& host);
int DocumentLoad(ScriptHost& host);
int DocumentSave(ScriptHost& host);

}  // namespace mapwright

#endif
