// What a document object holds besides its document: the tokens of the entity
// handles given to scripts, so that they die with the entities.
#ifndef MAPWRIGHT_MAP_SCRIPT_DOCUMENT_H
#define MAPWRIGHT_MAP_SCRIPT_DOCUMENT_H

#include <vector>

#include "map/vmf_document.h"
#include "mapwright/script_host.h"

namespace mapwright {

class ScriptDocument {
 public:
  ScriptDocument() = default;
  ~ScriptDocument() { RevokeEntityHandles(); }
  ScriptDocument(const ScriptDocument&) = delete;
  ScriptDocument& operator=(const ScriptDocument&) = delete;

  VMFDocument document;

  // The entity's handle token, made on first use and the same afterwards.
  void* EntityToken(VMFEntity& entity);
  // Kills every entity handle; called before the entities are destroyed.
  void RevokeEntityHandles();

  // A document collected while one of its own methods still runs (a parse
  // whose callback dropped it) is deleted when that method ends.
  int busy = 0;
  bool collected = false;

 private:
  std::vector<void*> entityTokens_;
};

void PushEntity(ScriptHost& host, ScriptDocument& owner, VMFEntity& entity);

}  // namespace mapwright

#endif
