// Helpers for the map tests: a reporter that records, and readable views of
// a document's entities.
#ifndef MAPWRIGHT_TESTS_MAP_TEST_SUPPORT_H
#define MAPWRIGHT_TESTS_MAP_TEST_SUPPORT_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "map/read/map_parser.h"

namespace mapwright::testing {

class RecordingReporter final : public ParseReporter {
 public:
  void Report(const char* kind, const std::string& message) override {
    reports.push_back(std::string(kind) + ": " + message);
    if (onReport) onReport();
  }
  std::vector<std::string> reports;
  std::function<void()> onReport;
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

inline Pairs KeysOf(const MapEntity& entity) {
  Pairs pairs;
  for (std::size_t i = 0; i < entity.KeyCount(); ++i) {
    pairs.emplace_back(entity.Key(i).key, entity.Key(i).value);
  }
  return pairs;
}

inline Pairs WorldKeysOf(const MapDocument& document) {
  Pairs pairs;
  for (std::size_t i = 0; i < document.WorldKeyCount(); ++i) {
    pairs.emplace_back(document.WorldKey(i).key, document.WorldKey(i).value);
  }
  return pairs;
}

inline std::vector<std::string> ConnectionsOf(const MapEntity& entity) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < entity.ConnectionCount(); ++i) {
    const Connection& c = entity.GetConnection(i);
    texts.push_back(std::string(c.output) + "|" + c.target + "|" + c.separator + "|" +
                    c.parameters);
  }
  return texts;
}

// The sample map: a world and one relay firing at door1.
inline const char kSampleMap[] = R"(world
{
	"id" "1"
	"classname" "worldspawn"
}
entity
{
	"id" "2"
	"classname" "logic_relay"
	"targetname" "relay1"
	connections
	{
		"OnTrigger" "door1,Open,,0,-1"
	}
}
)";

}  // namespace mapwright::testing

#endif
