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

OutputFields SplitParameters(std::string_view parameters, char separator) {
  OutputFields fields;
  std::string_view* order[] = {&fields.input, &fields.parameter, &fields.delay, &fields.times};
  std::string_view rest = parameters;
  std::size_t count = 0;
  for (std::size_t stop; count < 4; ++count) {
    stop = count == 3 ? std::string_view::npos : rest.find(separator);
    *order[count] = rest.substr(0, stop);
    if (stop == std::string_view::npos) {
      ++count;
      break;
    }
    rest.remove_prefix(stop + 1);
  }
  if (separator == kCommaSeparator && count == 4) {
    // The parameter reaches up to the second comma from the end.
    std::size_t timesComma = parameters.rfind(separator);
    std::size_t delayComma = parameters.rfind(separator, timesComma - 1);
    std::size_t start = fields.input.size() + 1;
    fields.parameter = parameters.substr(start, delayComma - start);
    fields.delay = parameters.substr(delayComma + 1, timesComma - delayComma - 1);
    fields.times = parameters.substr(timesComma + 1);
  }
  return fields;
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
