#include "bindings/entity_object.h"

#include <string>

#include "bindings/script_values.h"
#include "map/map_entity.h"

namespace mapwright {
namespace {

MapEntity* EntityArg(ScriptHost& host) {
  return ObjectArg<MapEntity>(host, 1, ObjectKind::kEntity);
}

}  // namespace

int EntityKey(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  std::optional<std::size_t> index = IndexArg(host, 2, entity->KeyCount());
  if (!index) return 0;
  const KeyValue& pair = entity->Key(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int EntityKeyCount(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  return PushCount(host, entity->KeyCount());
}

// "output target<separator>parameters": the part after the blank is what
// AddConnection takes as its third argument.
int EntityConnection(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  std::optional<std::size_t> index = IndexArg(host, 2, entity->ConnectionCount());
  if (!index) return 0;
  const Connection& connection = entity->GetConnection(*index);
  std::string text = connection.output;
  text.append(1, ' ').append(connection.target);
  text.append(1, connection.separator).append(connection.parameters);
  host.PushString(text.c_str());
  return 1;
}

int EntityConnectionCount(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  return PushCount(host, entity->ConnectionCount());
}

int EntityClass(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  host.PushString(entity->classname);
  return 1;
}

int EntityID(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  host.PushNumber(static_cast<float>(entity->id));
  return 1;
}

int EntityAddKey(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  std::string_view key = StringArg(host, 2);
  entity->AddKey(key, StringArg(host, 3));
  return 0;
}

int EntityAddConnection(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  std::string_view output = StringArg(host, 2);
  if (std::optional<ConnectionParts> parts = SplitConnectionValue(StringArg(host, 3))) {
    entity->AddConnection(output, *parts);
  }
  return 0;
}

int EntityFindKey(ScriptHost& host) {
  MapEntity* entity = EntityArg(host);
  if (entity == nullptr) return 0;
  const char* key = host.GetStringArg(2);
  const KeyValue* pair = entity->FindKey(key != nullptr ? key : "");
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, key, pair->value);
}

}  // namespace mapwright
