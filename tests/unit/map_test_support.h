// Helpers for the map tests: a reporter that records, and readable views of
// a document's entities.
#ifndef MAPWRIGHT_TESTS_MAP_TEST_SUPPORT_H
#define MAPWRIGHT_TESTS_MAP_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bindings/parse_messages.h"
#include "map/read/map_parser.h"

namespace mapwright::testing {

class RecordingReporter final : public ParseReporter {
 public:
  void Report(const ParseReport& report) override {
    reports.push_back(std::string(report.Kind()) + ": " + MessageOf(report));
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

// The maps in a folder, in name order; none when it is absent.
inline std::vector<std::filesystem::path> MapsIn(const char* folder) {
  std::vector<std::filesystem::path> maps;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".vmf") maps.push_back(entry.path());
  }
  std::sort(maps.begin(), maps.end());
  return maps;
}

// The real maps; none when the corpus is absent, which fails the calling
// test where MAPWRIGHT_REQUIRE_CORPUS is set (CI sets it).
inline std::vector<std::filesystem::path> CorpusMaps() {
  std::vector<std::filesystem::path> maps = MapsIn(MAPWRIGHT_CORPUS_DIR);
  if (maps.empty() && std::getenv("MAPWRIGHT_REQUIRE_CORPUS") != nullptr) {
    ADD_FAILURE() << "MAPWRIGHT_REQUIRE_CORPUS is set, but " << MAPWRIGHT_CORPUS_DIR
                  << " holds no maps";
  }
  return maps;
}

inline std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace mapwright::testing

#endif
