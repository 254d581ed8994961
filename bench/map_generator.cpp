#include "map_generator.h"

#include <array>
#include <string_view>
#include <vector>

namespace mapwright::bench {
namespace {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % (high - low + 1)); }
  bool OneIn(int n) { return Next() % static_cast<std::uint64_t>(n) == 0; }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 8> kMaterials = {
    "CONCRETE/CONCRETEFLOOR001A",  "BRICK/BRICKWALL031D",    "METAL/METALWALL048A",
    "TOOLS/TOOLSNODRAW",           "WOOD/WOODFLOOR005A",     "DEV/DEV_MEASUREGENERIC01",
    "NATURE/BLENDGRASSGRAVEL001A", "PLASTER/PLASTERWALL005C"};

struct PointClass {
  std::string_view name;
  std::string_view prefix;
};
constexpr std::array<PointClass, 8> kPointClasses = {{{"light", "light"},
                                                      {"prop_static", "prop"},
                                                      {"prop_physics", "crate"},
                                                      {"logic_relay", "relay"},
                                                      {"ambient_generic", "sound"},
                                                      {"info_target", "target"},
                                                      {"env_sprite", "sprite"},
                                                      {"math_counter", "counter"}}};
constexpr std::array<std::string_view, 4> kBrushClasses = {"func_door", "func_button",
                                                           "trigger_multiple", "func_brush"};
constexpr std::array<std::string_view, 6> kOutputs = {"OnTrigger", "OnPressed",   "OnStartTouch",
                                                      "OnUser1",   "OnFullyOpen", "OnHitMax"};
constexpr std::array<std::string_view, 6> kInputs = {"Open",    "Close",     "TurnOn",
                                                     "Trigger", "PlaySound", "Enable"};
constexpr std::array<std::string_view, 12> kExtraKeys = {
    "rendercolor", "renderamt",  "disableshadows", "fademindist", "fademaxdist", "skin",
    "solid",       "spawnflags", "_light",         "health",      "pitch",       "radius"};

class Writer {
 public:
  Writer(bool crlf, Random& random) : newline_(crlf ? "\r\n" : "\n"), random_(random) {}

  std::string text;

  void Line(int depth, std::string_view content) {
    text.append(static_cast<std::size_t>(depth), '\t').append(content).append(newline_);
  }
  void Pair(int depth, std::string_view key, std::string_view value) {
    text.append(static_cast<std::size_t>(depth), '\t');
    text.append("\"").append(key).append("\" \"").append(value).append("\"").append(newline_);
  }
  void Open(int depth, std::string_view name) {
    Line(depth, name);
    Line(depth, "{");
  }
  void Close(int depth) { Line(depth, "}"); }

  std::string Number(int low, int high) { return std::to_string(random_.Between(low, high)); }
  std::string Point() {
    return Number(-4096, 4096) + " " + Number(-4096, 4096) + " " + Number(-512, 1024);
  }

  void EditorBlock(int depth, bool withGroup) {
    Open(depth, "editor");
    Pair(depth + 1, "color", "0 " + Number(100, 255) + " " + Number(100, 255));
    if (withGroup) Pair(depth + 1, "visgroupid", Number(1, 9));
    Pair(depth + 1, "visgroupshown", "1");
    Pair(depth + 1, "visgroupautoshown", "1");
    Close(depth);
  }

  void Displacement(int depth) {
    Open(depth, "dispinfo");
    Pair(depth + 1, "power", "2");
    Pair(depth + 1, "startposition", "[" + Point() + "]");
    Pair(depth + 1, "flags", "0");
    Pair(depth + 1, "elevation", "0");
    Pair(depth + 1, "subdiv", "0");
    for (std::string_view block : {"normals", "distances", "alphas"}) {
      Open(depth + 1, block);
      for (int row = 0; row < 5; ++row) {
        std::string values;
        for (int column = 0; column < 5; ++column) {
          if (column) values += ' ';
          values += block == "normals" ? "0 0 1" : Number(0, 64);
        }
        Pair(depth + 2, "row" + std::to_string(row), values);
      }
      Close(depth + 1);
    }
    Close(depth);
  }

  void Solid(int depth, int& nextId, bool displaced) {
    Open(depth, "solid");
    Pair(depth + 1, "id", std::to_string(nextId++));
    for (int s = 0; s < 6; ++s) {
      Open(depth + 1, "side");
      Pair(depth + 2, "id", std::to_string(nextId++));
      Pair(depth + 2, "plane", "(" + Point() + ") (" + Point() + ") (" + Point() + ")");
      Pair(depth + 2, "material", kMaterials[random_.Next() % kMaterials.size()]);
      Pair(depth + 2, "uaxis", "[1 0 0 " + Number(0, 512) + "] 0.25");
      Pair(depth + 2, "vaxis", "[0 -1 0 " + Number(0, 512) + "] 0.25");
      Pair(depth + 2, "rotation", "0");
      Pair(depth + 2, "lightmapscale", "16");
      Pair(depth + 2, "smoothing_groups", "0");
      if (displaced && s == 0) Displacement(depth + 2);
      Close(depth + 1);
    }
    EditorBlock(depth + 1, random_.OneIn(4));
    Close(depth);
  }

 private:
  std::string_view newline_;
  Random& random_;
};

std::string EntityName(std::string_view prefix, std::size_t index) {
  return std::string(prefix) + "_" + std::to_string(index);
}

void WriteEntity(Writer& out, Random& random, std::size_t index, int& nextId,
                 std::vector<std::string>& names, int namedEveryNth) {
  bool brush = random.OneIn(5);
  const PointClass& point = kPointClasses[random.Next() % kPointClasses.size()];
  std::string_view classname =
      brush ? kBrushClasses[random.Next() % kBrushClasses.size()] : point.name;
  int depth = 0;
  bool hidden = random.OneIn(12);
  if (hidden) out.Open(depth++, "hidden");
  out.Open(depth, "entity");
  out.Pair(depth + 1, "id", std::to_string(nextId++));
  out.Pair(depth + 1, "classname", classname);
  if (index % static_cast<std::size_t>(namedEveryNth) == 0) {
    std::string name = EntityName(brush ? "brush" : point.prefix, index);
    out.Pair(depth + 1, "targetname", name);
    names.push_back(name);
  }
  out.Pair(depth + 1, "angles", "0 " + out.Number(0, 359) + " 0");
  int extra = random.Between(7, 21);
  for (int k = 0; k < extra; ++k) {
    std::string_view key = kExtraKeys[static_cast<std::size_t>(k) % kExtraKeys.size()];
    out.Pair(depth + 1, key, out.Number(0, 255) + " " + out.Number(0, 255));
  }
  if (!names.empty() && random.OneIn(3)) {
    out.Open(depth + 1, "connections");
    int count = random.Between(1, 4);
    for (int c = 0; c < count; ++c) {
      const std::string& target = names[random.Next() % names.size()];
      std::string value = target + "," + std::string(kInputs[random.Next() % kInputs.size()]) +
                          ",," + out.Number(0, 5) + ",-1";
      out.Pair(depth + 2, kOutputs[random.Next() % kOutputs.size()], value);
    }
    out.Close(depth + 1);
  }
  if (brush) out.Solid(depth + 1, nextId, false);
  out.Pair(depth + 1, "origin", out.Point());
  out.EditorBlock(depth + 1, false);
  out.Close(depth);
  if (hidden) out.Close(--depth);
}

void WriteHeader(Writer& out) {
  out.Open(0, "versioninfo");
  out.Pair(1, "editorversion", "400");
  out.Pair(1, "editorbuild", "8870");
  out.Pair(1, "mapversion", "1");
  out.Pair(1, "formatversion", "100");
  out.Pair(1, "prefab", "0");
  out.Close(0);
  out.Open(0, "visgroups");
  for (int g = 1; g <= 9; ++g) {
    out.Open(1, "visgroup");
    out.Pair(2, "name", "group" + std::to_string(g));
    out.Pair(2, "visgroupid", std::to_string(g));
    out.Pair(2, "color", "128 128 255");
    out.Close(1);
  }
  out.Close(0);
  out.Open(0, "viewsettings");
  out.Pair(1, "bSnapToGrid", "1");
  out.Pair(1, "bShowGrid", "1");
  out.Pair(1, "nGridSpacing", "16");
  out.Close(0);
}

void WriteFooter(Writer& out) {
  out.Open(0, "cameras");
  out.Pair(1, "activecamera", "0");
  out.Open(1, "camera");
  out.Pair(2, "position", "[0 0 256]");
  out.Pair(2, "look", "[0 256 0]");
  out.Close(1);
  out.Close(0);
  out.Open(0, "cordon");
  out.Pair(1, "mins", "(-1024 -1024 -1024)");
  out.Pair(1, "maxs", "(1024 1024 1024)");
  out.Pair(1, "active", "0");
  out.Close(0);
}

}  // namespace

std::string GenerateMap(const MapShape& shape) {
  Random random(shape.seed);
  Writer world(shape.crlf, random);
  Writer entities(shape.crlf, random);
  std::vector<std::string> names;
  int nextWorldId = 2;
  int nextEntityId = 1000000;
  for (std::size_t index = 0;; ++index) {
    bool done = shape.entities != 0 ? index >= shape.entities
                                    : world.text.size() + entities.text.size() >= shape.sizeBytes;
    if (done) break;
    for (int s = 0; s < shape.solidsPerEntity; ++s) {
      bool hidden = random.OneIn(20);
      if (hidden) world.Open(1, "hidden");
      world.Solid(hidden ? 2 : 1, nextWorldId, random.OneIn(8));
      if (hidden) world.Close(1);
    }
    WriteEntity(entities, random, index, nextEntityId, names, shape.namedEveryNth);
  }
  Writer out(shape.crlf, random);
  WriteHeader(out);
  out.Open(0, "world");
  out.Pair(1, "id", "1");
  out.Pair(1, "mapversion", "1");
  out.Pair(1, "classname", "worldspawn");
  out.Pair(1, "skyname", "sky_day01_01");
  out.text += world.text;
  out.Close(0);
  out.text += entities.text;
  WriteFooter(out);
  return std::move(out.text);
}

}  // namespace mapwright::bench
