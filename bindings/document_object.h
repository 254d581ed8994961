// The script object over a map document: Mapwright.VMF() and the methods of
// the "VMF" metatable.
#ifndef MAPWRIGHT_BINDINGS_DOCUMENT_OBJECT_H
#define MAPWRIGHT_BINDINGS_DOCUMENT_OBJECT_H

#include <vector>

#include "map/model/map_document.h"
#include "mapwright/script_host.h"

namespace mapwright {

// What a script's document value owns: the document, and the tokens of the
// entity and block handles given out, so that they die with what they name.
class DocumentObject {
 public:
  DocumentObject() { document.owner = this; }
  ~DocumentObject() { RevokeHandles(); }
  DocumentObject(const DocumentObject&) = delete;
  DocumentObject& operator=(const DocumentObject&) = delete;

  MapDocument document;

  // The object over the document an entity or block belongs to.
  static DocumentObject& Of(MapDocument& document) {
    return *static_cast<DocumentObject*>(document.owner);
  }

  // A handle's token, made on first use and the same afterwards.
  void* EntityToken(MapEntity& entity);
  void* BlockToken(MapBlock& block);
  // Kills every handle; called before the entities and blocks are destroyed.
  void RevokeHandles();
  // Kills the handles of what the document's edits took out of it.
  void RevokeRemoved();
  // The document's blocks, read on first use; null while a parse of the
  // document runs.
  BlockTree* Blocks();

 private:
  std::vector<void*> entityTokens_;
  std::vector<void*> blockTokens_;
};

void PushEntity(ScriptHost& host, DocumentObject& owner, MapEntity& entity);
void PushBlock(ScriptHost& host, DocumentObject& owner, MapBlock& block);

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
int DocumentBlockCount(ScriptHost& host);
int DocumentBlock(ScriptHost& host);
int DocumentFindBlock(ScriptHost& host);
int DocumentPrefix(ScriptHost& host);
int DocumentTransform(ScriptHost& host);
int DocumentMerge(ScriptHost& host);
int DocumentReplace(ScriptHost& host);
int DocumentCount(ScriptHost& host);

}  // namespace mapwright

#endif
