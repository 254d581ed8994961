#include "module/registration.h"

#include <initializer_list>

#include "fileio/file_functions.h"
#include "map/document_object.h"
#include "map/entity_object.h"
#include "module/metatables.h"
#include "module/native.h"
#include "module/script_values.h"
#include "tokenizer/token_reader_object.h"
#include "tokenizer/token_type.h"

namespace mapwright {
namespace {

struct Member {
  const char* name;
  NativeFunction function;
};

void SetMembers(ScriptObject& table, std::initializer_list<Member> members) {
  for (const Member& member : members) table.SetMemberFunction(member.name, member.function);
}

void RegisterLibraryTable(ScriptHost& host) {
  HeldObject library(host.GetGlobal("Mapwright"));
  if (library.get() == nullptr) return;
  SetMembers(*library.get(), {
                                 {"ReadFile", Native<ScriptReadFile>},
                                 {"WriteFile", Native<ScriptWriteFile>},
                                 {"TokenReader", Native<NewTokenReader>},
                                 {"VMF", Native<NewDocument>},
                             });
}

void RegisterTokenNumbers(ScriptHost& host) {
  static constexpr struct {
    const char* name;
    TokenType value;
  } kTokenNumbers[] = {
      {"TOKEN_ERROR", TOKEN_ERROR},
      {"TOKEN_NONE", TOKEN_NONE},
      {"TOKEN_EOF", TOKEN_EOF},
      {"TOKEN_OPERATOR", TOKEN_OPERATOR},
      {"TOKEN_NUMBER", TOKEN_NUMBER},
      {"TOKEN_STRING", TOKEN_STRING},
      {"TOKEN_IDENTIFIER", TOKEN_IDENTIFIER},
      {"TOKEN_COMMENT", TOKEN_COMMENT},
  };
  for (const auto& number : kTokenNumbers) {
    host.SetGlobalNumber(number.name, static_cast<float>(number.value));
  }
}

// Sets a metatable's members: "__gc" first when the objects own their native
// object, then "__index" (the metatable itself, so methods are found on it),
// then the methods.
void RegisterMetaTable(ScriptHost& host, const MetaTableName& meta, NativeFunction collect,
                       std::initializer_list<Member> methods) {
  HeldObject table(host.GetMetaTable(meta.name, meta.typeId));
  if (table.get() == nullptr) return;
  if (collect != nullptr) table.get()->SetMemberFunction("__gc", collect);
  table.get()->SetMemberObject("__index", table.get());
  SetMembers(*table.get(), methods);
}

}  // namespace

void RegisterScriptNames(ScriptHost& host) {
  RegisterLibraryTable(host);
  RegisterTokenNumbers(host);
  RegisterMetaTable(host, kTokenReaderMeta, Native<TokenReaderCollect>,
                    {
                        {"ReadToken", Native<TokenReaderReadToken>},
                    });
  RegisterMetaTable(host, kEntityMeta, nullptr,
                    {
                        {"Key", Native<EntityKey>},
                        {"KeyCount", Native<EntityKeyCount>},
                        {"Connection", Native<EntityConnection>},
                        {"ConnectionCount", Native<EntityConnectionCount>},
                        {"Class", Native<EntityClass>},
                        {"ID", Native<EntityID>},
                        {"AddKey", Native<EntityAddKey>},
                        {"AddConnection", Native<EntityAddConnection>},
                        {"FindKey", Native<EntityFindKey>},
                    });
  RegisterMetaTable(host, kDocumentMeta, Native<DocumentCollect>,
                    {
                        {"Parse", Native<DocumentParse>},
                        {"CreateEntity", Native<DocumentCreateEntity>},
                        {"Rename", Native<DocumentRename>},
                        {"Entity", Native<DocumentEntity>},
                        {"EntityCount", Native<DocumentEntityCount>},
                        {"WorldKey", Native<DocumentWorldKey>},
                        {"FindWorldKey", Native<DocumentFindWorldKey>},
                        {"WorldKeyCount", Native<DocumentWorldKeyCount>},
                        {"FindByClass", Native<DocumentFindByClass>},
                        {"FindByName", Native<DocumentFindByName>},
                        {"FindByID", Native<DocumentFindByID>},
                    });
}

}  // namespace mapwright
