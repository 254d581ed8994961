#include "map/entity_object.h"

#include <string>

#include "map/vmf_entity.h"
#include "module/script_values.h"

namespace mapwright {
namespace {

VMFEntity* EntityArg(ScriptHost& host) {
  return ObjectArg<VMFEntity>(host, 1, ObjectKind::kEntity);
}

}  // namespace

int EntityKey(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  std::size_t index = 0;
  if (entity == nullptr || !IndexArg(host, 2, entity->KeyCount(), index)) return 0;
  const KeyValue& pair = entity->Key(index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int EntityKeyCount(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  return PushCount(host, entity->KeyCount());
}

// "output target<separator>parameters": the part after the blank is what
// AddConnection takes as its third argument.
int EntityConnection(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  std::size_t index = 0;
  if (entity == nullptr || !IndexArg(host, 2, entity->ConnectionCount(), index)) return 0;
  const Connection& connection = entity->GetConnection(index);
  std::string text = connection.output;
  text.append(1, ' ').append(connection.target);
  text.append(1, connection.separator).append(connection.parameters);
  host.PushString(text.c_str());
  return 1;
}

int EntityConnectionCount(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  return PushCount(host, entity->ConnectionCount());
}

int EntityClass(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  host.PushString(entity->classname);
  return 1;
}

int EntityID(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  host.PushNumber(static_cast<float>(entity->id));
  return 1;
}

int EntityAddKey(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  std::string_view key = StringArg(host, 2);
  entity->AddKey(key, StringArg(host, 3));
  return 0;
}

int EntityAddConnection(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  std::string_view output = StringArg(host, 2);
  ConnectionParts parts;
  if (SplitConnectionValue(StringArg(host, 3), parts)) entity->AddConnection(output, parts);
  return 0;
}

int EntityFindKey(ScriptHost& host) {
  VMFEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  const char* key = host.GetStringArg(2);
  const KeyValue* pair = entity->FindKey(key != nullptr ? key : "");
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, key, pair->value);
}

}  // namespace mapwright
