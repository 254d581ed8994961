// One entity of a map: its key/value pairs and output connections, with its
// name, class and id kept apart from the pairs.
#ifndef MAPWRIGHT_MAP_MAP_ENTITY_H
#define MAPWRIGHT_MAP_MAP_ENTITY_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "map/text_pool.h"

namespace mapwright {

struct KeyValue {
  const char* key;
  const char* value;
};

// A connection's target and parameters stand in the file joined by a comma,
// or, as newer editors save them, by the ESC byte. The record keeps which.
inline constexpr char kCommaSeparator = ',';
inline constexpr char kEscapeSeparator = '\x1b';

struct Connection {
  const char* output;
  const char* target;
  const char* parameters;
  char separator;
};

struct ConnectionParts {
  std::string_view target;
  std::string_view parameters;
  char separator;
};
// Splits "target<separator>parameters" at its first ESC, or else at its first
// comma; nothing when it holds neither.
std::optional<ConnectionParts> SplitConnectionValue(std::string_view value);

// The fields of a connection's parameters, as written: input, parameter,
// delay and times. ESC-separated parameters split at every ESC (anything past
// a fourth field stays in times); comma-separated ones take the last two
// fields as delay and times and everything between input and delay as the
// parameter, commas and all. Fields a text lacks are empty.
struct OutputFields {
  std::string_view input;
  std::string_view parameter;
  std::string_view delay;
  std::string_view times;
};
OutputFields SplitParameters(std::string_view parameters, char separator);

class MapEntity {
 public:
  MapEntity(TextPool& texts, std::size_t index) : texts_(&texts), index_(index) {}

  // The name, class and id are set by the entity's creator; appending pairs
  // never changes them.
  const char* targetname = "";
  const char* classname = "";
  std::int32_t id = 0;

  // The entity's position in its document.
  std::size_t Index() const { return index_; }

  void AddKey(std::string_view key, std::string_view value);
  std::size_t KeyCount() const { return keys_.size(); }
  KeyValue& Key(std::size_t i) { return keys_[i]; }
  const KeyValue& Key(std::size_t i) const { return keys_[i]; }
  // The first pair with exactly that key, or null.
  const KeyValue* FindKey(std::string_view key) const;

  void AddConnection(std::string_view output, const ConnectionParts& parts);
  std::size_t ConnectionCount() const { return connections_.size(); }
  Connection& GetConnection(std::size_t i) { return connections_[i]; }
  const Connection& GetConnection(std::size_t i) const { return connections_[i]; }

  // Gives back the lists' unused room, once the entity is read whole.
  void ReleaseSpareCapacity();

  TextPool& Texts() { return *texts_; }

 private:
  TextPool* texts_;
  std::size_t index_;
  std::vector<KeyValue> keys_;
  std::vector<Connection> connections_;
};

}  // namespace mapwright

#endif
