#include "map/script_document.h"

#include "module/live_objects.h"
#include "module/script_values.h"

namespace mapwright {

void* ScriptDocument::EntityToken(VMFEntity& entity) {
  std::size_t index = entity.Index();
  if (index >= entityTokens_.size()) entityTokens_.resize(index + 1, nullptr);
  void*& token = entityTokens_[index];
  if (token == nullptr) token = TheLiveObjects().Add(ObjectKind::kEntity, &entity);
  return token;
}

void ScriptDocument::RevokeEntityHandles() {
  for (void* token : entityTokens_) {
    if (token != nullptr) TheLiveObjects().Remove(token, ObjectKind::kEntity);
  }
  entityTokens_.clear();
  entityTokens_.shrink_to_fit();
}

void PushEntity(ScriptHost& host, ScriptDocument& owner, VMFEntity& entity) {
  PushObject(host, kEntityMeta, owner.EntityToken(entity));
}

}  // namespace mapwright
