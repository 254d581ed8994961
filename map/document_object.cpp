#include "map/document_object.h"

#include <memory>
#include <string>

#include "map/map_parser.h"
#include "map/rename.h"
#include "map/script_document.h"
#include "module/call_outs.h"
#include "module/script_values.h"

namespace mapwright {
namespace {

ScriptDocument* DocumentArg(ScriptHost& host) {
  return ObjectArg<ScriptDocument>(host, 1, ObjectKind::kDocument);
}

int PushFound(ScriptHost& host, ScriptDocument& owner, VMFEntity* entity) {
  if (entity == nullptr) return 0;
  PushEntity(host, owner, *entity);
  return 1;
}

class ScriptReporter final : public ParseReporter {
 public:
  explicit ScriptReporter(ScriptHost& host) : host_(host) {}
  void Report(const char* kind, const std::string& message) override {
    ReportParseFailure(host_, kind, message.c_str());
  }

 private:
  ScriptHost& host_;
};

// Keeps a document alive while its own method runs script code.
class BusyScope {
 public:
  explicit BusyScope(ScriptDocument& owner) : owner_(owner) { ++owner_.busy; }
  ~BusyScope() {
    if (--owner_.busy == 0 && owner_.collected) delete &owner_;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  ScriptDocument& owner_;
};

}  // namespace

int NewDocument(ScriptHost& host) {
  PushNewObject(host, ObjectKind::kDocument, kDocumentMeta, std::make_unique<ScriptDocument>());
  return 1;
}

int DocumentCollect(ScriptHost& host) {
  auto* owner = static_cast<ScriptDocument*>(
      TheLiveObjects().Remove(host.GetUserDataArg(1), ObjectKind::kDocument));
  if (owner == nullptr) return 0;
  owner->RevokeEntityHandles();
  if (owner->busy > 0) {
    owner->collected = true;
  } else {
    delete owner;
  }
  return 0;
}

int DocumentParse(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  const char* text = host.GetStringArg(2);
  BusyScope busy(*owner);
  owner->RevokeEntityHandles();
  ScriptReporter reporter(host);
  ParseMap(owner->document, text != nullptr ? text : "", &reporter);
  return 0;
}

int DocumentCreateEntity(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  VMFDocument& document = owner->document;
  std::string_view classname = StringArg(host, 2);
  std::int32_t id = host.GetIntegerArg(3);
  VMFEntity& entity = document.AddEntity();
  entity.classname = document.Texts().Store(classname);
  entity.id = id;
  PushEntity(host, *owner, entity);
  return 1;
}

int DocumentRename(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  RenameEntities(owner->document, host.GetIntegerArg(2));
  return 0;
}

int DocumentEntity(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  std::size_t index = 0;
  if (owner == nullptr || !IndexArg(host, 2, owner->document.EntityCount(), index)) return 0;
  PushEntity(host, *owner, owner->document.Entity(index));
  return 1;
}

int DocumentEntityCount(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  return PushCount(host, owner->document.EntityCount());
}

int DocumentWorldKey(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  std::size_t index = 0;
  if (owner == nullptr || !IndexArg(host, 2, owner->document.WorldKeyCount(), index)) return 0;
  const KeyValue& pair = owner->document.WorldKey(index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int DocumentFindWorldKey(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  const char* key = host.GetStringArg(2);
  const KeyValue* pair = owner->document.FindWorldKey(key != nullptr ? key : "");
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, key, pair->value);
}

int DocumentWorldKeyCount(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  return PushCount(host, owner->document.WorldKeyCount());
}

int DocumentFindByClass(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  return PushFound(host, *owner, owner->document.FindByClass(StringArg(host, 2)));
}

int DocumentFindByName(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  return PushFound(host, *owner, owner->document.FindByName(StringArg(host, 2)));
}

int DocumentFindByID(ScriptHost& host) {
  ScriptDocument* owner = DocumentArg(host);
  if (owner == nullptr) return 0;
  return PushFound(host, *owner, owner->document.FindByID(host.GetIntegerArg(2)));
}

}  // namespace mapwright
