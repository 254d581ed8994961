#include "bindings/entity_object.h"

#include <string>

#include "bindings/arguments.h"
#include "bindings/call_outs.h"
#include "bindings/script_values.h"
#include "map/model/map_entity.h"

// Every method reads its arguments through ReadArguments, and copies what it
// returns before the first push: any host call may run a collection whose
// finalizers free or parse the entity's document anew.
namespace mapwright {
namespace {

using Entity = arg::Object<MapEntity, ObjectKind::kEntity>;

// An entity and one of its connections, given by the index in argument 2.
struct ConnectionAt {
  MapEntity& entity;
  std::size_t index;
  const Connection& get() const { return entity.GetConnection(index); }
};

std::optional<ConnectionAt> ConnectionArg(ScriptHost& host) {
  auto args = ReadArguments<Entity, arg::Integer>(host);
  if (!args) return std::nullopt;
  auto [entity, position] = *args;
  std::optional<std::size_t> index = IndexIn(position, entity->ConnectionCount());
  if (!index) return std::nullopt;
  return ConnectionAt{*entity, *index};
}

// A method that takes two texts and gives nothing back.
int WithTwoTexts(ScriptHost& host, void (*edit)(MapEntity&, std::string_view, std::string_view)) {
  auto args = ReadArguments<Entity, arg::Text, arg::Text>(host);
  if (!args) return 0;
  auto [entity, first, second] = *args;
  edit(*entity, first, second);
  return 0;
}

}  // namespace

int EntityKey(ScriptHost& host) {
  auto args = ReadArguments<Entity, arg::Integer>(host);
  if (!args) return 0;
  auto [entity, position] = *args;
  std::optional<std::size_t> index = IndexIn(position, entity->KeyCount());
  if (!index) return 0;
  const KeyValue& pair = entity->Key(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int EntityKeyCount(ScriptHost& host) {
  auto args = ReadArguments<Entity>(host);
  if (!args) return 0;
  return PushCount(host, std::get<0>(*args)->KeyCount());
}

// "output target<separator>parameters": the part after the blank is what
// AddConnection takes as its third argument.
int EntityConnection(ScriptHost& host) {
  std::optional<ConnectionAt> at = ConnectionArg(host);
  if (!at) return 0;
  const Connection& connection = at->get();
  std::string text = connection.output;
  text.append(1, ' ').append(connection.target);
  text.append(1, connection.separator).append(connection.parameters);
  host.PushString(text.c_str());
  return 1;
}

// The six fields of output i as written: output, target, input, parameter,
// delay, times.
int EntityConnectionParts(ScriptHost& host) {
  std::optional<ConnectionAt> at = ConnectionArg(host);
  if (!at) return 0;
  const Connection& connection = at->get();
  OutputFields fields = SplitParameters(connection.parameters, connection.separator);
  const std::string texts[] = {connection.output,         connection.target,
                               std::string(fields.input), std::string(fields.parameter),
                               std::string(fields.delay), std::string(fields.times)};
  for (const std::string& text : texts) host.PushString(text.c_str());
  return 6;
}

int EntityConnectionCount(ScriptHost& host) {
  auto args = ReadArguments<Entity>(host);
  if (!args) return 0;
  return PushCount(host, std::get<0>(*args)->ConnectionCount());
}

int EntityClass(ScriptHost& host) {
  auto args = ReadArguments<Entity>(host);
  if (!args) return 0;
  const std::string classname = std::get<0>(*args)->Class();
  host.PushString(classname.c_str());
  return 1;
}

int EntityID(ScriptHost& host) {
  auto args = ReadArguments<Entity>(host);
  if (!args) return 0;
  host.PushNumber(static_cast<float>(std::get<0>(*args)->Id()));
  return 1;
}

// The edits refuse texts that map text cannot hold; there is nothing to tell.
int EntityAddKey(ScriptHost& host) {
  return WithTwoTexts(host, [](MapEntity& entity, std::string_view key, std::string_view value) {
    static_cast<void>(entity.AddKey(key, value));
  });
}

int EntityAddConnection(ScriptHost& host) {
  return WithTwoTexts(host, [](MapEntity& entity, std::string_view output, std::string_view value) {
    if (std::optional<ConnectionParts> parts = SplitConnectionValue(value)) {
      static_cast<void>(entity.AddConnection(output, *parts));
    }
  });
}

int EntitySetKey(ScriptHost& host) {
  return WithTwoTexts(host, [](MapEntity& entity, std::string_view key, std::string_view value) {
    static_cast<void>(entity.SetKey(key, value));
  });
}

int EntityRemoveKey(ScriptHost& host) {
  auto args = ReadArguments<Entity, arg::Text>(host);
  if (!args) return 0;
  auto [entity, key] = *args;
  entity->RemoveKey(key);
  return 0;
}

int EntityRemoveConnection(ScriptHost& host) {
  if (std::optional<ConnectionAt> at = ConnectionArg(host)) at->entity.RemoveConnection(at->index);
  return 0;
}

int EntityFindKey(ScriptHost& host) {
  auto args = ReadArguments<Entity, arg::Text>(host);
  if (!args) return 0;
  auto [entity, key] = *args;
  const KeyValue* pair = entity->FindKey(key);
  if (pair == nullptr) return 0;
  return PushTwoTexts(host, std::string(key), pair->value);
}

// Output i becomes the output given, where it stands; a value without a
// separator, or a text the format cannot hold, changes nothing.
int EntitySetConnection(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Entity, arg::Integer, arg::Text, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [entity, position, output, value] = *args;
  std::optional<std::size_t> index = IndexIn(position, entity->ConnectionCount());
  if (!index) return PushFailure(host, "no output at that index (they count from 0)");
  std::optional<ConnectionParts> parts = SplitConnectionValue(value);
  if (!parts || !entity->SetConnection(*index, output, *parts)) {
    return PushFailure(host,
                       "an output's value must be its target and parameters, separated by commas "
                       "or the ESC byte, with no double quote");
  }
  return PushTrue(host);
}

// An entity handle's finalizer: the entity lives on in its document; only
// the count of values holding its token goes down.
int EntityCollect(ScriptHost& host) {
  TheLiveObjects().Release(host.GetUserDataArg(1));
  return 0;
}

}  // namespace mapwright
