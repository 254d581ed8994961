#include "bindings/script_api.h"

#include "bindings/block_object.h"
#include "bindings/document_object.h"
#include "bindings/entity_object.h"
#include "bindings/file_functions.h"
#include "bindings/native.h"
#include "bindings/token_reader_object.h"

namespace mapwright {
namespace {

constexpr ScriptFunction kLibrary[] = {
    {"ReadFile", Native<ScriptReadFile>},
    {"WriteFile", Native<ScriptWriteFile>},
    {"TokenReader", Native<NewTokenReader>},
    {"VMF", Native<NewDocument>},
};

constexpr ScriptNumber kTokenNumbers[] = {
    {"TOKEN_ERROR", TOKEN_ERROR},
    {"TOKEN_NONE", TOKEN_NONE},
    {"TOKEN_EOF", TOKEN_EOF},
    {"TOKEN_OPERATOR", TOKEN_OPERATOR},
    {"TOKEN_NUMBER", TOKEN_NUMBER},
    {"TOKEN_STRING", TOKEN_STRING},
    {"TOKEN_IDENTIFIER", TOKEN_IDENTIFIER},
    {"TOKEN_COMMENT", TOKEN_COMMENT},
};

constexpr ScriptFunction kTokenReaderMethods[] = {
    {"ReadToken", Native<TokenReaderReadToken>},
};

constexpr ScriptFunction kEntityMethods[] = {
    {"Key", Native<EntityKey>},
    {"KeyCount", Native<EntityKeyCount>},
    {"Connection", Native<EntityConnection>},
    {"ConnectionCount", Native<EntityConnectionCount>},
    {"Class", Native<EntityClass>},
    {"ID", Native<EntityID>},
    {"AddKey", Native<EntityAddKey>},
    {"AddConnection", Native<EntityAddConnection>},
    {"FindKey", Native<EntityFindKey>},
    {"ConnectionParts", Native<EntityConnectionParts>},
    {"SetKey", Native<EntitySetKey>},
    {"RemoveKey", Native<EntityRemoveKey>},
    {"RemoveConnection", Native<EntityRemoveConnection>},
    {"__gc", Native<EntityCollect>},
    {"SetConnection", Native<EntitySetConnection>},
    {"Block", Native<EntityBlock>},
};

constexpr ScriptFunction kDocumentMethods[] = {
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
    {"FindNextByName", Native<DocumentFindNextByName>},
    {"FindNextByClass", Native<DocumentFindNextByClass>},
    {"Text", Native<DocumentText>},
    {"SetWorldKey", Native<DocumentSetWorldKey>},
    {"RemoveEntity", Native<DocumentRemoveEntity>},
    {"Load", Native<DocumentLoad>},
    {"Save", Native<DocumentSave>},
    {"BlockCount", Native<DocumentBlockCount>},
    {"Block", Native<DocumentBlock>},
    {"FindBlock", Native<DocumentFindBlock>},
    {"Prefix", Native<DocumentPrefix>},
    {"Transform", Native<DocumentTransform>},
    {"Merge", Native<DocumentMerge>},
    {"Replace", Native<DocumentReplace>},
    {"Count", Native<DocumentCount>},
};

constexpr ScriptFunction kBlockMethods[] = {
    {"Name", Native<BlockName>},
    {"Line", Native<BlockLine>},
    {"KeyCount", Native<BlockKeyCount>},
    {"Key", Native<BlockKey>},
    {"FindKey", Native<BlockFindKey>},
    {"KeyLine", Native<BlockKeyLine>},
    {"AddKey", Native<BlockAddKey>},
    {"SetKey", Native<BlockSetKey>},
    {"RemoveKey", Native<BlockRemoveKey>},
    {"SetValue", Native<BlockSetValue>},
    {"BlockCount", Native<BlockBlockCount>},
    {"Block", Native<BlockBlock>},
    {"FindBlock", Native<BlockFindBlock>},
    {"AddBlock", Native<BlockAddBlock>},
    {"RemoveBlock", Native<BlockRemoveBlock>},
};

constexpr ScriptMetaTable kMetaTables[] = {
    {kTokenReaderMeta, Native<TokenReaderCollect>, kTokenReaderMethods},
    {kEntityMeta, nullptr, kEntityMethods},
    {kDocumentMeta, Native<DocumentCollect>, kDocumentMethods},
    {kBlockMeta, Native<BlockCollect>, kBlockMethods},
};

}  // namespace

std::span<const ScriptFunction> LibraryFunctions() {
  return kLibrary;
}
std::span<const ScriptNumber> TokenNumbers() {
  return kTokenNumbers;
}
std::span<const ScriptMetaTable> MetaTables() {
  return kMetaTables;
}

}  // namespace mapwright
