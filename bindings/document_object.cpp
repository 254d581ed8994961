#include "bindings/document_object.h"

#include <algorithm>
#include <memory>
#include <string>

#include "bindings/arguments.h"
#include "bindings/block_object.h"
#include "bindings/call_outs.h"
#include "bindings/script_values.h"
#include "map/edit/merge.h"
#include "map/edit/rename.h"
#include "map/edit/transform.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"

namespace mapwright {
namespace {

using Document = arg::Object<DocumentObject, ObjectKind::kDocument>;
using SharedDocument = arg::SharedObject<DocumentObject, ObjectKind::kDocument>;
using Entity = arg::Object<MapEntity, ObjectKind::kEntity>;

int PushFound(ScriptHost& host, DocumentObject& owner, MapEntity* entity) {
  if (entity == nullptr) return 0;
  PushEntity(host, owner, *entity);
  return 1;
}

}  // namespace

namespace {

// The token of the object at index, made on first use.
void* TokenAt(std::vector<void*>& tokens, std::size_t index, ObjectKind kind, void* object) {
  if (index >= tokens.size()) tokens.resize(index + 1, nullptr);
  void*& token = tokens[index];
  if (token == nullptr) token = TheLiveObjects().AddBorrowed(kind, object);
  return token;
}

void Revoke(std::vector<void*>& tokens, std::size_t index, ObjectKind kind) {
  if (index >= tokens.size() || tokens[index] == nullptr) return;
  TheLiveObjects().Remove(tokens[index], kind);
  tokens[index] = nullptr;
}

void RevokeAll(std::vector<void*>& tokens, ObjectKind kind) {
  for (void* token : tokens) {
    if (token != nullptr) TheLiveObjects().Remove(token, kind);
  }
  tokens.clear();
  tokens.shrink_to_fit();
}

}  // namespace

void* DocumentObject::EntityToken(MapEntity& entity) {
  return TokenAt(entityTokens_, entity.Serial(), ObjectKind::kEntity, &entity);
}

void* DocumentObject::BlockToken(MapBlock& block) {
  return TokenAt(blockTokens_, block.Serial(), ObjectKind::kBlock, &block);
}

void DocumentObject::RevokeRemoved() {
  Removals removed = document.TakeRemovals();
  for (const MapEntity* entity : removed.entities) {
    Revoke(entityTokens_, entity->Serial(), ObjectKind::kEntity);
  }
  for (const MapBlock* block : removed.blocks) {
    Revoke(blockTokens_, block->Serial(), ObjectKind::kBlock);
  }
}

void DocumentObject::RevokeHandles() {
  RevokeAll(entityTokens_, ObjectKind::kEntity);
  RevokeAll(blockTokens_, ObjectKind::kBlock);
  static_cast<void>(document.TakeRemovals());
}

BlockTree* DocumentObject::Blocks() {
  if (document.Parsing()) return nullptr;
  if (document.Blocks() == nullptr) ReadBlocks(document);
  return document.Blocks();
}

void PushEntity(ScriptHost& host, DocumentObject& owner, MapEntity& entity) {
  PushObject(host, kEntityMeta, owner.EntityToken(entity));
}

void PushBlock(ScriptHost& host, DocumentObject& owner, MapBlock& block) {
  PushObject(host, kBlockMeta, owner.BlockToken(block));
}

int NewDocument(ScriptHost& host) {
  PushNewObject(host, ObjectKind::kDocument, kDocumentMeta, std::make_shared<DocumentObject>());
  return 1;
}

// The entity handles die with the script's value, and the document is
// emptied at once: a parse that still runs and holds it sees that and leaves.
int DocumentCollect(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  if (auto* owner =
          static_cast<DocumentObject*>(TheLiveObjects().Find(token, ObjectKind::kDocument))) {
    owner->RevokeHandles();
    owner->document.Clear();
    TheLiveObjects().Remove(token, ObjectKind::kDocument);
  }
  TheLiveObjects().Release(token);
  return 0;
}

// The parse may call the script, which may collect the document or parse it
// again: the share held here keeps it alive until the parse returns. A value
// that is no text leaves the document as it was.
int DocumentParse(ScriptHost& host) {
  auto args = ReadArguments<SharedDocument, arg::Text>(host);
  if (!args) return 0;
  auto [owner, text] = *args;
  owner->RevokeHandles();
  ScriptReporter reporter(host);
  ParseMap(owner->document, text, &reporter);
  return 0;
}

int DocumentCreateEntity(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, classname, number] = *args;
  std::optional<std::int32_t> id = IdIn(number);
  if (!id || !FitsInQuotes(classname)) return 0;
  MapEntity& entity = owner->document.AddEntity();
  static_cast<void>(entity.Create(classname, *id));  // the class fits, as checked
  PushEntity(host, *owner, entity);
  return 1;
}

// A text that does not read as a number is put to the names as it is; a
// number (or a text the script would read as one) as Lua writes it, when it
// is whole and finite. A fraction, an infinity or NaN is no affix, nor is a
// text that map text cannot hold or that would change what outputs mean.
namespace {

const char kAffixRefused[] =
    "the text must not hold a double quote, a comma or the ESC byte, nor be a fraction, an "
    "infinity or NaN";

std::optional<std::string> AffixText(std::string_view text) {
  if (!ReadsAsScriptNumber(text)) return std::string(text);
  return WholeNumberText(std::string(text).c_str());
}

}  // namespace

int DocumentRename(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text>(host);
  if (!args) return 0;
  auto [owner, text] = *args;
  if (std::optional<std::string> suffix = AffixText(text)) {
    static_cast<void>(RenameEntities(owner->document, *suffix));  // refused: nothing to tell
  }
  return 0;
}

// As Rename, with the text in front; wildcard references follow too.
int DocumentPrefix(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Document, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, text] = *args;
  std::optional<std::string> prefix = AffixText(text);
  if (!prefix || !PrefixEntities(owner->document, *prefix)) return PushFailure(host, kAffixRefused);
  return PushTrue(host);
}

int DocumentEntity(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, position] = *args;
  std::optional<std::size_t> index = IndexIn(position, owner->document.EntityCount());
  if (!index) return 0;
  PushEntity(host, *owner, owner->document.Entity(*index));
  return 1;
}

int DocumentEntityCount(ScriptHost& host) {
  auto args = ReadArguments<Document>(host);
  if (!args) return 0;
  return PushCount(host, std::get<0>(*args)->document.EntityCount());
}

int DocumentWorldKey(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, position] = *args;
  std::optional<std::size_t> index = IndexIn(position, owner->document.WorldKeyCount());
  if (!index) return 0;
  const KeyValue& pair = owner->document.WorldKey(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int DocumentFindWorldKey(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text>(host);
  if (!args) return 0;
  auto [owner, key] = *args;
  const KeyValue* pair = owner->document.FindWorldKey(key);
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, std::string(key), pair->value);
}

int DocumentWorldKeyCount(ScriptHost& host) {
  auto args = ReadArguments<Document>(host);
  if (!args) return 0;
  return PushCount(host, std::get<0>(*args)->document.WorldKeyCount());
}

int DocumentFindByClass(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text>(host);
  if (!args) return 0;
  auto [owner, classname] = *args;
  return PushFound(host, *owner, owner->document.FindByClass(classname));
}

int DocumentFindByName(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text>(host);
  if (!args) return 0;
  auto [owner, name] = *args;
  return PushFound(host, *owner, owner->document.FindByName(name));
}

namespace {

using FindNext = std::optional<std::size_t> (MapDocument::*)(std::string_view, std::size_t) const;

// The entity and its index, or nothing. A start before the first entity
// starts at it.
int PushNextMatch(ScriptHost& host, FindNext find) {
  auto args = ReadArguments<Document, arg::Text, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, pattern, start] = *args;
  std::optional<std::size_t> from =
      IndexIn(std::max<std::int64_t>(start, 0), owner->document.EntityCount());
  if (!from) return 0;
  std::optional<std::size_t> index = (owner->document.*find)(pattern, *from);
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
  auto args = ReadArguments<Document>(host);
  if (!args) return 0;
  std::shared_ptr<const TextBuffer> text = WriteMap(std::get<0>(*args)->document);
  host.PushString(text->c_str());
  return 1;
}

int DocumentSetWorldKey(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text, arg::Text>(host);
  if (!args) return 0;
  auto [owner, key, value] = *args;
  static_cast<void>(owner->document.SetWorldKey(key, value));  // refused: nothing to tell
  return 0;
}

// Removes an entity of this document, with every entity inside its block:
// their handles die, every other stays.
int DocumentRemoveEntity(ScriptHost& host) {
  auto args = ReadArguments<Document, Entity>(host);
  if (!args) return 0;
  auto [owner, entity] = *args;
  static_cast<void>(owner->document.RemoveEntity(*entity));
  owner->RevokeRemoved();
  return 0;
}

int DocumentFindByID(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, number] = *args;
  std::optional<std::int32_t> id = IdIn(number);
  if (!id) return 0;
  return PushFound(host, *owner, owner->document.FindByID(*id));
}

}  // namespace mapwright

namespace mapwright {

int DocumentBlockCount(ScriptHost& host) {
  auto args = ReadArguments<Document>(host);
  if (!args) return 0;
  BlockTree* tree = std::get<0>(*args)->Blocks();
  if (tree == nullptr) return 0;
  return PushCount(host, tree->Top().ChildCount());
}

int DocumentBlock(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, position] = *args;
  BlockTree* tree = owner->Blocks();
  if (tree == nullptr) return 0;
  return PushChild(host, *owner, tree->Top(), position);
}

int DocumentFindBlock(ScriptHost& host) {
  auto args = ReadArguments<Document, arg::Text, arg::Integer>(host);
  if (!args) return 0;
  auto [owner, name, start] = *args;
  BlockTree* tree = owner->Blocks();
  if (tree == nullptr) return 0;
  return PushFoundChild(host, *owner, tree->Top(), name, start);
}

}  // namespace mapwright

namespace mapwright {

// Turns, then moves, the whole document; either vector may be nothing (nil
// or an empty text) for none. A text that is no vector changes nothing.
int DocumentTransform(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Document, arg::OptionalText, arg::OptionalText>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, offsetText, anglesText] = *args;
  auto vector = [](const std::optional<std::string_view>& text) -> std::optional<Vector3> {
    if (!text || text->find_first_not_of(" \t") == std::string_view::npos) return Vector3{};
    return ReadVector(*text);
  };
  std::optional<Vector3> offset = vector(offsetText);
  if (!offset) return PushFailure(host, "the offset must be three numbers, as \"x y z\"");
  std::optional<Vector3> angles = vector(anglesText);
  if (!angles) {
    return PushFailure(host, "the angles must be three numbers, as \"pitch yaw roll\"");
  }
  if (owner->Blocks() == nullptr) {
    return PushFailure(host, "a document cannot be transformed while it is being parsed");
  }
  if (EditResult done = TransformDocument(owner->document, *offset, *angles); !done) {
    return PushFailure(host, done.refusal);
  }
  return PushTrue(host);
}

}  // namespace mapwright

namespace mapwright {

// Copies the other document's entities, world brushes and visgroups into
// this one with fresh ids; the other stays as it was.
int DocumentMerge(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Document, Document>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, other] = *args;
  if (owner->Blocks() == nullptr || other->Blocks() == nullptr) {
    return PushFailure(host, "a document cannot be merged while it is being parsed");
  }
  if (EditResult merged = MergeDocument(owner->document, other->document); !merged) {
    return PushFailure(host, merged.refusal);
  }
  return PushTrue(host);
}

}  // namespace mapwright
