// Parse, query, rename and merge any text. Checks: reports do not change what
// is read, and each names a line of the text (LF, CR LF and a CR alone end
// lines); the parse never ends early (an entity written after any text
// without quotes and comments survives); lines ended by a CR alone read as
// lines ended by LF; every entity, pair and connection can be read; each of
// two renames gives what a plain model of renaming (old names collected
// first, every equal text suffixed once, empty names left out) predicts; a
// text damaged at most by blocks left open, merged into itself, reads back
// as the merged document, with no other damage.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "map/edit/merge.h"
#include "map/edit/rename.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"
#include "rename_model.h"

namespace {

using mapwright::MapDocument;
using mapwright::testing::Lower;
using mapwright::testing::ParameterSpan;
using mapwright::testing::PlainNumber;
using mapwright::testing::ValueFollows;

#define Check(c) CheckAt((c), __LINE__)
void CheckAt(bool condition, int line) {
  if (!condition) std::fprintf(stderr, "check failed at line %d\n", line);
  if (!condition) std::abort();
}

class Reports final : public mapwright::ParseReporter {
 public:
  explicit Reports(std::size_t lines) : lines_(lines) {}
  bool clean = true;     // no syntax report
  bool openOnly = true;  // none but of blocks left open at the end
  void Report(const mapwright::ParseReport& report) override {
    using mapwright::ParseProblem;
    if (report.problem == ParseProblem::kOutputWithoutSeparator) return;
    clean = false;
    openOnly = openOnly && report.problem == ParseProblem::kBlockNotClosed;
    Check(report.line >= 1 && static_cast<std::size_t>(report.line) <= lines_);
  }

 private:
  std::size_t lines_;
};

// Every text renaming may touch, with the entity fields, as plain strings.
struct Snapshot {
  struct Entity {
    std::string name;
    std::string classname;
    std::int32_t id;
    std::vector<std::string> keys, values, outputs, targets, parameters;
  };
  std::vector<Entity> entities;
  std::vector<std::string> world;

  bool operator==(const Snapshot& other) const {
    if (world != other.world || entities.size() != other.entities.size()) return false;
    for (std::size_t i = 0; i < entities.size(); ++i) {
      const Entity& a = entities[i];
      const Entity& b = other.entities[i];
      if (a.name != b.name || a.classname != b.classname || a.id != b.id || a.keys != b.keys ||
          a.values != b.values || a.outputs != b.outputs || a.targets != b.targets ||
          a.parameters != b.parameters) {
        return false;
      }
    }
    return true;
  }
};

Snapshot Take(const MapDocument& document) {
  Snapshot snapshot;
  for (std::size_t i = 0; i < document.WorldKeyCount(); ++i) {
    snapshot.world.push_back(std::string(document.WorldKey(i).key) + "=" +
                             document.WorldKey(i).value);
  }
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    const mapwright::MapEntity& entity = document.Entity(i);
    Snapshot::Entity copy{entity.Name(), entity.Class(), entity.Id(), {}, {}, {}, {}, {}};
    for (std::size_t k = 0; k < entity.KeyCount(); ++k) {
      copy.keys.push_back(entity.Key(k).key);
      copy.values.push_back(entity.Key(k).value);
    }
    for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
      const mapwright::Connection& connection = entity.GetConnection(c);
      copy.outputs.push_back(connection.output);
      copy.targets.push_back(connection.target);
      copy.parameters.push_back(std::string(1, connection.separator) + connection.parameters);
    }
    snapshot.entities.push_back(std::move(copy));
  }
  return snapshot;
}

// The renaming rules, plainly, over a snapshot.
Snapshot RenamedModel(Snapshot snapshot, const std::string& suffix) {
  std::set<std::string> names;
  for (const Snapshot::Entity& entity : snapshot.entities) {
    if (!entity.name.empty()) names.insert(Lower(entity.name));
  }
  auto named = [&](const std::string& text) { return !text.empty() && names.count(Lower(text)); };
  for (Snapshot::Entity& entity : snapshot.entities) {
    if (named(entity.name)) entity.name += suffix;
    for (std::size_t k = 0; k < entity.values.size(); ++k) {
      std::string& value = entity.values[k];
      if (named(value) && ValueFollows(entity.keys[k], value)) value += suffix;
    }
    for (std::string& target : entity.targets) {
      if (named(target)) target += suffix;
    }
    for (std::string& parameters : entity.parameters) {
      // Held with their separator in front.
      auto [begin, end] = ParameterSpan(parameters.substr(1), parameters[0]);
      std::string parameter = parameters.substr(begin + 1, end - begin);
      if (named(parameter) && !PlainNumber(parameter)) parameters.insert(end + 1, suffix);
    }
  }
  return snapshot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::int32_t first = static_cast<std::int8_t>(data[0]);
  std::int32_t second = data[1] == 0xff ? INT32_MIN : static_cast<std::int32_t>(data[1]);
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const char* terminated = text.c_str();
  std::size_t lines = 1;
  for (const char* p = terminated; *p != '\0'; ++p) {
    lines += *p == '\n' || (*p == '\r' && p[1] != '\n') ? 1 : 0;
  }
  MapDocument document;
  Reports reports(lines);
  mapwright::ParseMap(document, terminated, &reports);
  Snapshot parsed = Take(document);
  // An unchanged document writes its text back.
  Check(mapwright::WriteMap(document)->view() == terminated);

  // Damage never ends the parse: without strings and comments to swallow it,
  // an entity after any text is read.
  std::string plain;
  for (char c : text) {
    if (c != '"' && c != '/' && c != '\0') plain += c;
  }
  plain += "\nentity\n{\n\"id\" \"77\"\n}\n";
  MapDocument after;
  mapwright::ParseMap(after, plain.c_str(), nullptr);
  Check(after.EntityCount() > 0 && after.Entity(after.EntityCount() - 1).Id() == 77);

  // A CR alone ends a line as LF does.
  if (std::strchr(terminated, '\r') == nullptr && std::strchr(terminated, '"') == nullptr) {
    std::string old(terminated);
    for (char& c : old) c = c == '\n' ? '\r' : c;
    MapDocument oldStyle;
    mapwright::ParseMap(oldStyle, old.c_str(), nullptr);
    Check(Take(oldStyle) == parsed);
  }

  // Merged into itself, a text cut at most (its last blocks left open)
  // writes a text that reads back as the merged document: copies written
  // after the text close the open blocks first, or it stays as cut.
  if (reports.openOnly) {
    MapDocument merged;
    mapwright::ParseMap(merged, terminated, nullptr);
    mapwright::ReadBlocks(merged);
    if (!mapwright::MergeDocument(merged, merged)) {
      // Ids beyond the format's: refused, and nothing changed.
      Check(mapwright::WriteMap(merged)->view() == terminated);
      Check(merged.EntityCount() == parsed.entities.size());
    } else {
      MapDocument again;
      Reports reread(SIZE_MAX);
      mapwright::ParseMap(again, mapwright::WriteMap(merged)->c_str(), &reread);
      Check(reread.openOnly && again.EntityCount() == merged.EntityCount());
      Check(merged.EntityCount() >= parsed.entities.size());
    }
  }

  mapwright::ParseMap(document, terminated, nullptr);
  Check(Take(document) == parsed);
  for (const Snapshot::Entity& entity : parsed.entities) {
    Check(document.FindByName(entity.name) != nullptr);
    Check(document.FindByClass(entity.classname) != nullptr);
    Check(document.FindByID(entity.id) != nullptr);
  }
  const std::string firstSuffix = std::to_string(first);
  const std::string secondSuffix =
      second % 2 == 0 ? std::to_string(second) : "_" + std::to_string(second);
  Check(mapwright::RenameEntities(document, firstSuffix));
  Snapshot once = Take(document);
  Check(once == RenamedModel(parsed, firstSuffix));
  if (reports.clean) {
    // A clean text, renamed and written, reads back as the renamed document.
    MapDocument again;
    mapwright::ParseMap(again, mapwright::WriteMap(document)->c_str(), nullptr);
    Check(Take(again) == once);
  }
  Check(mapwright::RenameEntities(document, secondSuffix));
  Check(Take(document) == RenamedModel(once, secondSuffix));
  // The same text parsed again into the renamed document replaces it whole.
  mapwright::ParseMap(document, text.c_str(), nullptr);
  Check(Take(document) == parsed);
  return 0;
}
