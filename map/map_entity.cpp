#include "map/map_entity.h"

namespace mapwright {

std::optional<ConnectionParts> SplitConnectionValue(std::string_view value) {
  char separator = kEscapeSeparator;
  std::size_t split = value.find(kEscapeSeparator);
  if (split == std::string_view::npos) {
    separator = kCommaSeparator;
    split = value.find(kCommaSeparator);
  }
  if (split == std::string_view::npos) return std::nullopt;
  return ConnectionParts{value.substr(0, split), value.substr(split + 1), separator};
}

void MapEntity::AddKey(std::string_view key, std::string_view value) {
  keys_.push_back({texts_->Intern(key), texts_->Store(value)});
}

const KeyValue* MapEntity::FindKey(std::string_view key) const {
  for (const KeyValue& pair : keys_) {
    if (key == pair.key) return &pair;
  }
  return nullptr;
}

void MapEntity::AddConnection(std::string_view output, const ConnectionParts& parts) {
  connections_.push_back({texts_->Intern(output), texts_->Store(parts.target),
                          texts_->Store(parts.parameters), parts.separator});
}

void MapEntity::ReleaseSpareCapacity() {
  keys_.shrink_to_fit();
  connections_.shrink_to_fit();
}

}  // namespace mapwright
