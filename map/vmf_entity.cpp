#include "map/vmf_entity.h"

namespace mapwright {

bool SplitConnectionValue(std::string_view value, ConnectionParts& parts) {
  std::size_t split = value.find(kEscapeSeparator);
  parts.separator = kEscapeSeparator;
  if (split == std::string_view::npos) {
    split = value.find(kCommaSeparator);
    parts.separator = kCommaSeparator;
  }
  if (split == std::string_view::npos) return false;
  parts.target = value.substr(0, split);
  parts.parameters = value.substr(split + 1);
  return true;
}

void VMFEntity::AddKey(std::string_view key, std::string_view value) {
  keys_.push_back({texts_->Intern(key), texts_->Store(value)});
}

const KeyValue* VMFEntity::FindKey(std::string_view key) const {
  for (const KeyValue& pair : keys_) {
    if (key == pair.key) return &pair;
  }
  return nullptr;
}

void VMFEntity::AddConnection(std::string_view output, const ConnectionParts& parts) {
  connections_.push_back({texts_->Intern(output), texts_->Store(parts.target),
                          texts_->Store(parts.parameters), parts.separator});
}

}  // namespace mapwright

namespace mapwright {

void VMFEntity::ReleaseSpareCapacity() {
  keys_.shrink_to_fit();
  connections_.shrink_to_fit();
}

}  // namespace mapwright
