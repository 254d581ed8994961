#include "bindings/entity_object.h"

#include <string>

#include "bindings/script_values.h"
#include "map/map_entity.h"

// Every method reads all its arguments before it looks its entity up, and
// copies what it returns before the first push: any host call may run a
// collection whose finalizers free or parse the entity's document anew.
namespace mapwright {
namespace {

MapEntity* FindEntity(void* token) {
  return FindObject<MapEntity>(token, ObjectKind::kEntity);
}

}  // namespace

int EntityKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  int position = host.GetIntegerArg(2);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  std::optional<std::size_t> index = IndexIn(position, entity->KeyCount());
  if (!index) return 0;
  const KeyValue& pair = entity->Key(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int EntityKeyCount(ScriptHost& host) {
  MapEntity* entity = FindEntity(host.GetUserDataArg(1));
  if (entity == nullptr) return 0;
  return PushCount(host, entity->KeyCount());
}

// "output target<separator>parameters": the part after the blank is what
// AddConnection takes as its third argument.
int EntityConnection(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  int position = host.GetIntegerArg(2);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  std::optional<std::size_t> index = IndexIn(position, entity->ConnectionCount());
  if (!index) return 0;
  const Connection& connection = entity->GetConnection(*index);
  std::string text = connection.output;
  text.append(1, ' ').append(connection.target);
  text.append(1, connection.separator).append(connection.parameters);
  host.PushString(text.c_str());
  return 1;
}

// The six fields of output i as written: output, target, input, parameter,
// delay, times.
int EntityConnectionParts(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  int position = host.GetIntegerArg(2);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  std::optional<std::size_t> index = IndexIn(position, entity->ConnectionCount());
  if (!index) return 0;
  const Connection& connection = entity->GetConnection(*index);
  OutputFields fields = SplitParameters(connection.parameters, connection.separator);
  const std::string texts[] = {connection.output,         connection.target,
                               std::string(fields.input), std::string(fields.parameter),
                               std::string(fields.delay), std::string(fields.times)};
  for (const std::string& text : texts) host.PushString(text.c_str());
  return 6;
}

int EntityConnectionCount(ScriptHost& host) {
  MapEntity* entity = FindEntity(host.GetUserDataArg(1));
  if (entity == nullptr) return 0;
  return PushCount(host, entity->ConnectionCount());
}

int EntityClass(ScriptHost& host) {
  MapEntity* entity = FindEntity(host.GetUserDataArg(1));
  if (entity == nullptr) return 0;
  const std::string classname = entity->classname;
  host.PushString(classname.c_str());
  return 1;
}

int EntityID(ScriptHost& host) {
  MapEntity* entity = FindEntity(host.GetUserDataArg(1));
  if (entity == nullptr) return 0;
  host.PushNumber(static_cast<float>(entity->id));
  return 1;
}

int EntityAddKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view key = StringArg(host, 2);
  std::string_view value = StringArg(host, 3);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  entity->AddKey(key, value);
  return 0;
}

int EntityAddConnection(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view output = StringArg(host, 2);
  std::string_view value = StringArg(host, 3);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  if (std::optional<ConnectionParts> parts = SplitConnectionValue(value)) {
    entity->AddConnection(output, *parts);
  }
  return 0;
}

int EntitySetKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view key = StringArg(host, 2);
  std::string_view value = StringArg(host, 3);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  entity->SetKey(key, value);
  return 0;
}

int EntityRemoveKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string_view key = StringArg(host, 2);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  entity->RemoveKey(key);
  return 0;
}

int EntityRemoveConnection(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  int position = host.GetIntegerArg(2);
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  if (std::optional<std::size_t> index = IndexIn(position, entity->ConnectionCount())) {
    entity->RemoveConnection(*index);
  }
  return 0;
}

int EntityFindKey(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  std::string key(StringArg(host, 2));
  MapEntity* entity = FindEntity(token);
  if (entity == nullptr) return 0;
  const KeyValue* pair = entity->FindKey(key);
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, key, pair->value);
}

}  // namespace mapwright
