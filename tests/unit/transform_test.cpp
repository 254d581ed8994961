// Moving and turning documents: the texture-lock rule on a case worked by
// hand, the writing of numbers, and round trips over every corpus map (a
// move and its inverse, four quarter turns about each axis) that give every
// number back and leave every other line as it was.
#include "map/edit/transform.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "map/model/block_tree.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

namespace fs = std::filesystem;

std::string Transformed(const std::string& text,
                        const std::vector<std::pair<Vector3, Vector3>>& steps) {
  MapDocument document;
  ParseMap(document, text, nullptr);
  ReadBlocks(document);
  for (const auto& [offset, angles] : steps)
    EXPECT_TRUE(TransformDocument(document, offset, angles));
  return std::string(WriteMap(document)->view());
}

TEST(Transform, TexturesStayOnTheBrushAsWorkedByHand) {
  const std::string side =
      "side\n{\n\"plane\" \"(0 0 64) (64 0 64) (64 -64 64)\"\n"
      "\"uaxis\" \"[1 0 0 8] 0.25\"\n\"vaxis\" \"[0 -1 0 0] 0.5\"\n\"rotation\" \"0\"\n}\n";
  // A quarter turn about z takes x to y and y to -x; then a move by
  // (16 32 0): u = p.axis/scale + shift stays for every point of the face
  // when shift' = 8 - (16 32 0).(0 1 0)/0.25 = -120, and for v the axis
  // (0 -1 0) becomes (1 0 0) and shift' = 0 - 16/0.5 = -32.
  EXPECT_EQ(
      Transformed(side, {{{16, 32, 0}, {0, 90, 0}}}),
      "side\n{\n\"plane\" \"(16 32 64) (16 96 64) (80 96 64)\"\n"
      "\"uaxis\" \"[0 1 0 -120] 0.25\"\n\"vaxis\" \"[1 0 0 -32] 0.5\"\n\"rotation\" \"0\"\n}\n");
}

TEST(Transform, NumbersAreWrittenWhole) {
  EXPECT_EQ(WriteNumber(-0.0), "0");
  EXPECT_EQ(WriteNumber(3.0000000000004), "3");
  EXPECT_EQ(WriteNumber(-2.5), "-2.5");
  EXPECT_EQ(WriteNumber(0.1 + 0.2), "0.30000000000000004");  // read back exactly
  EXPECT_EQ(WriteNumber(1e-5), "0.00001");
  EXPECT_EQ(std::stod(WriteNumber(1.0 / 3)), 1.0 / 3);
}

// The keys a transform changes, and how their numbers compare.
bool Moved(const std::string& key) {
  for (const char* name : {"plane", "uaxis", "vaxis", "startposition", "v", "origin", "BasisOrigin",
                           "BasisNormal", "BasisU", "BasisV", "angles", "row0"}) {
    if (SameName(key, name)) return true;
  }
  return key.rfind("row", 0) == 0;
}

std::vector<double> NumbersOf(const std::string& value) {
  std::string spaced = value;
  for (char& c : spaced) {
    if (c == '(' || c == ')' || c == '[' || c == ']') c = ' ';
  }
  std::istringstream in(spaced);
  std::vector<double> numbers;
  for (double x; in >> x;) numbers.push_back(x);
  return numbers;
}

// An entity's angles compared as the turns they stand for.
std::vector<double> TurnOf(const std::vector<double>& angles) {
  const double k = 3.14159265358979323846 / 180;
  double sp = std::sin(angles[0] * k), cp = std::cos(angles[0] * k);
  double sy = std::sin(angles[1] * k), cy = std::cos(angles[1] * k);
  double sr = std::sin(angles[2] * k), cr = std::cos(angles[2] * k);
  return {cp * cy,
          sr * sp * cy - cr * sy,
          cr * sp * cy + sr * sy,
          cp * sy,
          sr * sp * sy + cr * cy,
          cr * sp * sy - sr * cy,
          -sp,
          sr * cp,
          cr * cp};
}

// Line by line: the same lines, but for the values of moved keys, whose
// numbers agree within tolerance.
void ExpectSameMap(const std::string& expected, const std::string& got, double tolerance,
                   const std::string& what) {
  std::istringstream a(expected), b(got);
  std::string lineA, lineB;
  int line = 0;
  while (std::getline(a, lineA)) {
    ++line;
    ASSERT_TRUE(std::getline(b, lineB)) << what << " ends early at line " << line;
    if (lineA == lineB) continue;
    MapDocument one, other;
    ParseMap(one, "entity\n{\n" + lineA + "\n}\n", nullptr);
    ParseMap(other, "entity\n{\n" + lineB + "\n}\n", nullptr);
    ASSERT_EQ(one.EntityCount(), 1u);
    ASSERT_EQ(other.EntityCount(), 1u);
    ASSERT_EQ(one.Entity(0).KeyCount(), 1u) << what << " line " << line << ": " << lineA;
    const std::string key = one.Entity(0).Key(0).key;
    ASSERT_TRUE(Moved(key)) << what << " line " << line << " changed: " << lineA << " / " << lineB;
    ASSERT_EQ(key, other.Entity(0).Key(0).key);
    std::vector<double> x = NumbersOf(one.Entity(0).Key(0).value);
    std::vector<double> y = NumbersOf(other.Entity(0).Key(0).value);
    if (SameName(key, "angles") && x.size() == 3 && y.size() == 3) {
      if (tolerance > 0) {  // the same turn
        x = TurnOf(x);
        y = TurnOf(y);
      } else {  // the same angles but for whole turns (compared in doubles)
        for (std::size_t i = 0; i < 3; ++i) {
          ASSERT_LE(std::fabs(std::remainder(x[i] - y[i], 360.0)), 1e-9)
              << what << " line " << line << ": " << lineA << " / " << lineB;
        }
        continue;
      }
    }
    ASSERT_EQ(x.size(), y.size()) << what << " line " << line;
    for (std::size_t i = 0; i < x.size(); ++i) {
      ASSERT_NEAR(x[i], y[i], tolerance)
          << what << " line " << line << ": " << lineA << " / " << lineB;
    }
  }
  EXPECT_FALSE(std::getline(b, lineB)) << what << " has more lines";
}

// Whatever the angle, the entities and the brushes turn by the same amount;
// a turn or move whose numbers the map cannot hold changes nothing.
TEST(Transform, OnlyFiniteNumbersWithinTheFormatsRange) {
  const std::string text =
      "world\n{\nsolid\n{\nside\n{\n\"plane\" \"(64 0 0) (64 0 0) (64 0 0)\"\n"
      "\"uaxis\" \"[1 0 0 0] 0.25\"\n}\n}\n}\n"
      "entity\n{\n\"origin\" \"0 0 0\"\n\"angles\" \"0 0 0\"\n}\n";
  for (double yaw : {1e20, -1e300, 1e308, 725.5}) {
    MapDocument document;
    ParseMap(document, text, nullptr);
    ReadBlocks(document);
    ASSERT_TRUE(TransformDocument(document, {}, {0, yaw, 0})) << yaw;
    constexpr double kDegree = 3.14159265358979323846 / 180;
    const double turned =
        NumbersOf(std::string(document.Entity(0).FindKey("angles")->value)).at(1) * kDegree;
    MapBlock& side = document.Blocks()->Top().Child(0).Child(0).Child(0);
    const std::vector<double> plane = NumbersOf(side.Key(0).value);
    EXPECT_NEAR(plane.at(0), 64 * std::cos(turned), 1e-6) << yaw;
    EXPECT_NEAR(plane.at(1), 64 * std::sin(turned), 1e-6) << yaw;
  }
  const std::string tiny = "world\n{\nsolid\n{\nside\n{\n\"uaxis\" \"[1 0 0 0] 1e-300\"\n}\n}\n}\n";
  const std::string far = "entity\n{\n\"origin\" \"9e14 9e14 0\"\n}\n";
  const std::vector<std::tuple<std::string, Vector3, Vector3>> refused = {
      {text, {NAN, 0, 0}, {}}, {text, {}, {0, INFINITY, 0}}, {text, {2e15, 0, 0}, {}},
      {far, {2e14, 0, 0}, {}}, {tiny, {1, 0, 0}, {}},        {far + far, {}, {0, 45, 0}},
  };
  for (const auto& [map, offset, angles] : refused) {
    MapDocument document;
    ParseMap(document, map, nullptr);
    ReadBlocks(document);
    EXPECT_FALSE(TransformDocument(document, offset, angles)) << map;
    EXPECT_EQ(std::string(WriteMap(document)->view()), map);
  }
}

// What turns and moves, against a plain model: a point turns by
// Rz(yaw) Ry(pitch) Rx(roll), built here from the three elementary turns
// (pitch alone, roll alone, yaw with roll, all three), and moves; a vector
// only turns, and only a displacement's normals are vectors; angles turn
// with them, each in [0, 360), a whole-degree yaw added in decimal.
TEST(Transform, PointsVectorsAndAnglesAgainstAPlainModel) {
  const std::string text =
      "world\n{\nsolid\n{\nside\n{\n\"plane\" \"(1 2 3) (4 5 6) (7 8 9)\"\ndispinfo\n{\n"
      "\"startposition\" \"[1 2 3]\"\nnormals\n{\n\"row0\" \"1 2 3\"\n}\n}\n}\n}\n"
      "normals\n{\n\"row0\" \"1 2 3\"\n}\n}\n"
      "entity\n{\n\"origin\" \"1 2 3\"\n\"BasisOrigin\" \"1 2 3\"\n\"BasisNormal\" \"1 2 3\"\n"
      "\"angles\" \"0 10 0\"\n}\n";
  const double k = 3.14159265358979323846 / 180;
  using M = std::array<std::array<double, 3>, 3>;
  auto times = [](const M& a, const M& b) {
    M c{};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        for (int n = 0; n < 3; ++n) c[i][j] += a[i][n] * b[n][j];
      }
    }
    return c;
  };
  const Vector3 offset{10, -20, 5};
  for (const Vector3& angles :
       {Vector3{0, 30, 45}, Vector3{20, 0, 0}, Vector3{0, 0, 35}, Vector3{15, 100, -30}}) {
    const double p = angles[0] * k, y = angles[1] * k, r = angles[2] * k;
    const M rz{{{std::cos(y), -std::sin(y), 0}, {std::sin(y), std::cos(y), 0}, {0, 0, 1}}};
    const M ry{{{std::cos(p), 0, std::sin(p)}, {0, 1, 0}, {-std::sin(p), 0, std::cos(p)}}};
    const M rx{{{1, 0, 0}, {0, std::cos(r), -std::sin(r)}, {0, std::sin(r), std::cos(r)}}};
    const M turn = times(times(rz, ry), rx);
    auto turned = [&](double a, double b, double c, bool move) {
      std::vector<double> out;
      for (int i = 0; i < 3; ++i) {
        out.push_back(turn[i][0] * a + turn[i][1] * b + turn[i][2] * c + (move ? offset[i] : 0));
      }
      return out;
    };
    MapDocument document;
    ParseMap(document, text, nullptr);
    ReadBlocks(document);
    ASSERT_TRUE(TransformDocument(document, offset, angles));
    MapBlock& world = document.Blocks()->Top().Child(0);
    MapBlock& side = world.Child(0).Child(0);
    auto values = [](MapBlock& block, std::size_t i) { return NumbersOf(block.Key(i).value); };
    auto near = [](const std::vector<double>& a, const std::vector<double>& b) {
      ASSERT_EQ(a.size(), b.size());
      for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-6) << i;
    };
    std::vector<double> plane = turned(1, 2, 3, true);
    for (double n : turned(4, 5, 6, true)) plane.push_back(n);
    for (double n : turned(7, 8, 9, true)) plane.push_back(n);
    near(values(side, 0), plane);
    near(values(side.Child(0), 0), turned(1, 2, 3, true));            // startposition
    near(values(side.Child(0).Child(0), 0), turned(1, 2, 3, false));  // a normal
    near(values(world.Child(1), 0), {1, 2, 3});                       // no displacement's
    MapBlock& entity = document.Blocks()->Top().Child(1);
    near(values(entity, 0), turned(1, 2, 3, true));   // origin
    near(values(entity, 1), turned(1, 2, 3, true));   // BasisOrigin
    near(values(entity, 2), turned(1, 2, 3, false));  // BasisNormal
    const std::vector<double> now = values(entity, 3);
    for (double angle : now) EXPECT_TRUE(angle >= 0 && angle < 360) << angle;
    std::vector<double> was = TurnOf({0, 10, 0});
    const M before{{{was[0], was[1], was[2]}, {was[3], was[4], was[5]}, {was[6], was[7], was[8]}}};
    const M after = times(turn, before);
    const std::vector<double> got = TurnOf(now);
    for (int i = 0; i < 9; ++i)
      EXPECT_NEAR(got[static_cast<std::size_t>(i)], after[i / 3][i % 3], 1e-9);
  }
  for (const auto& [yaw, written] :
       std::vector<std::pair<double, std::string>>{{-90, "0 280 0"}, {22.5, "0 32.5 0"}}) {
    MapDocument document;
    ParseMap(document, "entity\n{\n\"angles\" \"0 10 0\"\n}\n", nullptr);
    ReadBlocks(document);
    ASSERT_TRUE(TransformDocument(document, {}, {0, yaw, 0}));
    EXPECT_EQ(std::string(document.Entity(0).FindKey("angles")->value), written);
  }
}

TEST(TransformCorpus, RoundTripsGiveEveryNumberBack) {
  std::vector<fs::path> maps = CorpusMaps();
  if (maps.empty()) GTEST_SKIP() << "no maps in " << MAPWRIGHT_CORPUS_DIR << ": corpus absent";
  for (const fs::path& example : MapsIn(MAPWRIGHT_EXAMPLES_DIR)) maps.push_back(example);
  for (const fs::path& path : maps) {
    const std::string text = Read(path);
    const std::string name = path.filename().string();
    const Vector3 move{123.25, -4096.5, 77.125};
    const Vector3 back{-move[0], -move[1], -move[2]};
    if (text.find("\"plane\"") != std::string::npos) {
      EXPECT_NE(Transformed(text, {{move, {}}}), text) << name;
    }
    ExpectSameMap(text, Transformed(text, {{move, {}}, {back, {}}}), 0.001, name + " moved back");
    for (const Vector3& quarter : {Vector3{0, 90, 0}, Vector3{90, 0, 0}, Vector3{0, 0, 90}}) {
      ExpectSameMap(text,
                    Transformed(text, {{{}, quarter}, {{}, quarter}, {{}, quarter}, {{}, quarter}}),
                    quarter[1] != 0 ? 0.0 : 0.001, name + " turned four times");
    }
  }
}

}  // namespace
}  // namespace mapwright::testing
