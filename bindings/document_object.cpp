#include "bindings/document_object.h"

#include <algorithm>
#include <memory>
#include <string>

#include "bindings/call_outs.h"
#include "bindings/script_values.h"
#include "map/map_parser.h"
#include "map/map_writer.h"
#include "map/rename.h"

namespace mapwright {
namespace {

DocumentObject* FindDocument(void* token) {
  return FindObject<DocumentObject>(token, ObjectKind::kDocument);
}

int PushFound(ScriptHost& host, DocumentObject& owner, MapEntity* entity) {
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

}  // namespace

void* DocumentObject::EntityToken(MapEntity& entity) {
  std::size_t index = entity.Serial();
  if (index >= entityTokens_.size()) entityTokens_.resize(index + 1, nullptr);
  void*& token = entityTokens_[index];
  if (token == nullptr) token = TheLiveObjects().AddBorrowed(ObjectKind::kEntity, &entity);
  return token;
}

void DocumentObject::RevokeEntityHandle(const MapEntity& entity) {
  std::size_t index = entity.Serial();
  if (index >= entityTokens_.size() || entityTokens_[index] == nullptr) return;
  TheLiveObjects().Remove(entityTokens_[index], ObjectKind::kEntity);
  entityTokens_[index] = nullptr;
}

void DocumentObject::RevokeEntityHandles() {
  for (void* token : entityTokens_) {
    if (token != nullptr) TheLiveObjects().Remove(token, ObjectKind::kEntity);
  }
  entityTokens_.clear();
  entityTokens_.shrink_to_fit();
}

void PushEntity(ScriptHost& host, DocumentObject& owner, MapEntity& entity) {
  PushObject(host, kEntityMeta, owner.EntityToken(entity));
}

int NewDocument(ScriptHost& host) {
  PushNewObject(host, ObjectKind::kDocument, kDocumentMeta, std::make_shared<DocumentObject>());
  return 1;
}

// The entity handles die with the script's value, also when a parse of the
// document still runs and holds it.
int DocumentCollect(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  if (DocumentObject* owner = FindDocument(token)) {
    owner->RevokeEntityHandles();
    TheLiveObjects().Remove(token, ObjectKind::kDocument);
  }
  return 0;
}

// The parse may call the script, which may collect the document or parse it
// again: the share held here keeps it alive until the parse returns.
int DocumentParse(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  const char* text = host.GetStringArg(2);
  std::shared_ptr<DocumentObject> owner = std::static_pointer_cast<DocumentObject>(
      TheLiveObjects().Share(token, ObjectKind::kDocument));
  if (owner == nullptr) return 0;
  owner->RevokeEntityHandles();
  ScriptReporter reporter(host);
  ParseMap(owner->document, text != nullptr ? text : "", &reporter);
  return 0;
}

int DocumentCreateEntity(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view classname = StringArg(host, 2);
  std::int32_t id = host.GetIntegerArg(3);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  MapDocument& document = owner->document;
  MapEntity& entity = document.AddEntity();
  entity.classname = document.Texts().Store(classname);
  entity.id = id;
  PushEntity(host, *owner, entity);
  return 1;
}

// A text that does not read as a number is appended as it is; a number (or a
// text the script would read as one) is appended in decimal, as an integer.
int DocumentRename(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::int32_t number = host.GetIntegerArg(2);  // before the text: a host may convert in place
  const char* text = host.GetStringArg(2);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  std::string suffix;
  if (text == nullptr) {
    suffix = std::to_string(number);
  } else {
    suffix = ReadsAsScriptNumber(text) ? std::to_string(ScriptInteger(text)) : text;
  }
  RenameEntities(owner->document, suffix);
  return 0;
}

int DocumentEntity(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  int position = host.GetIntegerArg(2);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  std::optional<std::size_t> index = IndexIn(position, owner->document.EntityCount());
  if (!index) return 0;
  PushEntity(host, *owner, owner->document.Entity(*index));
  return 1;
}

int DocumentEntityCount(ScriptHost& host) {
  DocumentObject* owner = FindDocument(host.GetUserDataArg(1));
  if (owner == nullptr) return 0;
  return PushCount(host, owner->document.EntityCount());
}

int DocumentWorldKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  int position = host.GetIntegerArg(2);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  std::optional<std::size_t> index = IndexIn(position, owner->document.WorldKeyCount());
  if (!index) return 0;
  const KeyValue& pair = owner->document.WorldKey(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int DocumentFindWorldKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string key(StringArg(host, 2));
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  const KeyValue* pair = owner->document.FindWorldKey(key);
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, key, pair->value);
}

int DocumentWorldKeyCount(ScriptHost& host) {
  DocumentObject* owner = FindDocument(host.GetUserDataArg(1));
  if (owner == nullptr) return 0;
  return PushCount(host, owner->document.WorldKeyCount());
}

int DocumentFindByClass(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view classname = StringArg(host, 2);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  return PushFound(host, *owner, owner->document.FindByClass(classname));
}

int DocumentFindByName(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view name = StringArg(host, 2);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  return PushFound(host, *owner, owner->document.FindByName(name));
}

namespace {

using FindNext = std::optional<std::size_t> (MapDocument::*)(std::string_view, std::size_t) const;

// The entity and its index, or nothing.
int PushNextMatch(ScriptHost& host, FindNext find) {
  void* token = host.GetUserDataArg(1);
  std::string pattern(StringArg(host, 2));
  int start = host.GetIntegerArg(3);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  std::optional<std::size_t> index =
      (owner->document.*find)(pattern, static_cast<std::size_t>(std::max(start, 0)));
  if (!index) return 0;
  PushEntity(host, *owner, owner->document.Entity(*index));
  host.PushNumber(static_cast<float>(*index));
  return 2;
}

}  // namespace

int DocumentFindNextByName(ScriptHost& host) {
  return PushNextMatch(host, &MapDocument::FindNextByName);
}

int DocumentFindNextByClass(ScriptHost& host) {
  return PushNextMatch(host, &MapDocument::FindNextByClass);
}

int DocumentText(ScriptHost& host) {
  DocumentObject* owner = FindDocument(host.GetUserDataArg(1));
  if (owner == nullptr) return 0;
  std::shared_ptr<const TextBuffer> text = WriteMap(owner->document);
  host.PushString(text->c_str());
  return 1;
}

int DocumentSetWorldKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view key = StringArg(host, 2);
  std::string_view value = StringArg(host, 3);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  owner->document.SetWorldKey(key, value);
  return 0;
}

// Removes an entity of this document: its handles die, every other stays.
int DocumentRemoveEntity(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  void* entityToken = host.GetUserDataArg(2);
  DocumentObject* owner = FindDocument(token);
  auto* entity = FindObject<MapEntity>(entityToken, ObjectKind::kEntity);
  if (owner == nullptr || entity == nullptr || !owner->document.RemoveEntity(*entity)) return 0;
  owner->RevokeEntityHandle(*entity);
  return 0;
}

int DocumentFindByID(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::int32_t id = host.GetIntegerArg(2);
  DocumentObject* owner = FindDocument(token);
  if (owner == nullptr) return 0;
  return PushFound(host, *owner, owner->document.FindByID(id));
}

}  // namespace mapwright
