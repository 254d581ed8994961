#include "map/edit/transform.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "map/model/block_tree.h"
#include "map/model/map_block.h"
#include "map/model/name_table.h"

namespace mapwright {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The sine and cosine of an angle in degrees, exact at multiples of 90.
void SinCos(double degrees, double& sine, double& cosine) {
  double turn = std::fmod(degrees, 360.0);
  if (turn < 0) turn += 360.0;
  if (turn == 0.0 || turn == 90.0 || turn == 180.0 || turn == 270.0) {
    static constexpr double kSines[] = {0, 1, 0, -1};
    const int quarter = static_cast<int>(turn / 90.0);
    sine = kSines[quarter];
    cosine = kSines[(quarter + 1) % 4];
    return;
  }
  sine = std::sin(degrees * kPi / 180.0);
  cosine = std::cos(degrees * kPi / 180.0);
}

bool Quarters(const Vector3& angles) {
  for (double angle : angles) {
    if (std::fmod(angle, 90.0) != 0) return false;
  }
  return true;
}

// A whole number of degrees added to an angle written as text, in decimal,
// so that nothing rounds; in [0, 360). Nothing for a text of other digits.
std::optional<std::string> AddDegrees(std::string_view text, long long degrees) {
  bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (whole.empty() || whole.size() > 12 || fraction.size() > 12) return std::nullopt;
  for (char c : std::string(whole) + std::string(fraction)) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  long long scale = 1;
  for (std::size_t i = 0; i < fraction.size(); ++i) scale *= 10;
  long long units = std::stoll(std::string(whole)) * scale;
  if (!fraction.empty()) units += std::stoll(std::string(fraction));
  if (negative) units = -units;
  const long long turn = 360 * scale;
  units = ((units + degrees % 360 * scale) % turn + turn) % turn;
  std::string out = std::to_string(units / scale);
  if (!fraction.empty()) {
    std::string digits = std::to_string(units % scale);
    digits.insert(0, fraction.size() - digits.size(), '0');
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (!digits.empty()) out += "." + digits;
  }
  return out;
}

struct Matrix {
  double m[3][3];

  Vector3 operator*(const Vector3& v) const {
    Vector3 turned;
    for (int row = 0; row < 3; ++row) {
      turned[row] = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
    }
    return turned;
  }
  Matrix operator*(const Matrix& other) const {
    Matrix product{};
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 3; ++column) {
        for (int k = 0; k < 3; ++k) product.m[row][column] += m[row][k] * other.m[k][column];
      }
    }
    return product;
  }
};

// The engine's turn for "pitch yaw roll": Rz(yaw) Ry(pitch) Rx(roll); its
// columns are forward, left and up.
Matrix FromAngles(const Vector3& angles) {
  double sp, cp, sy, cy, sr, cr;
  SinCos(angles[0], sp, cp);
  SinCos(angles[1], sy, cy);
  SinCos(angles[2], sr, cr);
  return {{{cp * cy, sr * sp * cy - cr * sy, cr * sp * cy + sr * sy},
           {cp * sy, sr * sp * sy + cr * cy, cr * sp * sy - sr * cy},
           {-sp, sr * cp, cr * cp}}};
}

// An angle in [0, 360), a whole number when within 1e-9 of one.
double Normalized(double degrees) {
  if (std::fabs(degrees - std::round(degrees)) < 1e-9) degrees = std::round(degrees);
  degrees = std::fmod(degrees, 360.0);
  if (degrees < 0) degrees += 360.0;
  return degrees >= 360.0 ? 0.0 : degrees;
}

double Degrees(double radians) {
  return Normalized(radians * 180.0 / kPi);
}

// Back from a turn to "pitch yaw roll", each in [0, 360) as editors write
// them; looking straight up or down, the roll goes into the yaw.
Vector3 AnglesOf(const Matrix& turn) {
  const double fx = turn.m[0][0], fy = turn.m[1][0], fz = turn.m[2][0];
  const double lx = turn.m[0][1], ly = turn.m[1][1], lz = turn.m[2][1];
  const double uz = turn.m[2][2];
  const double level = std::sqrt(fx * fx + fy * fy);
  if (level > 1e-9) {
    return {Degrees(std::atan2(-fz, level)), Degrees(std::atan2(fy, fx)),
            Degrees(std::atan2(lz, uz))};
  }
  return {Degrees(std::atan2(-fz, level)), Degrees(std::atan2(-lx, ly)), 0.0};
}

double Dot(const Vector3& a, const Vector3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The numbers of a value and where each stands, brackets and parentheses
// being separators; false when anything else stands in it.
struct Numbers {
  std::vector<double> values;
  std::vector<std::pair<std::size_t, std::size_t>> spans;
};

constexpr std::array<bool, 256> kSeparators = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '(', ')', '[', ']'}) table[c] = true;
  return table;
}();

bool IsSeparator(char c) {
  return kSeparators[static_cast<unsigned char>(c)];
}

// Most numbers of a map are short decimals: with at most 15 digits, the
// digits as an integer and a power of ten are exact doubles, and one
// division rounds as reading the text would. Where doubles are computed
// wider (the x87 unit), the division would round twice: the C library reads
// every number there.
#if FLT_EVAL_METHOD == 0
constexpr bool kQuickDecimals = true;
#else
constexpr bool kQuickDecimals = false;
#endif
constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The largest number a transform writes: beyond it, a double's integers are
// no longer exact and a map's numbers no longer coordinates.
constexpr double kLargestNumber = 1e15;

// The longest text PutNumber writes: a double's fixed notation.
constexpr std::size_t kLongestNumber = 400;

char* PutNumber(char* to, double value, bool inexact) {
  if (value == 0) {
    *to = '0';  // never "-0"
    return to + 1;
  }
  if (std::fabs(value) < 1e15) {
    // The nearest integer, without a call into the C library.
    auto whole = static_cast<long long>(value);
    const double rest = value - static_cast<double>(whole);
    if (rest > 0.5) ++whole;
    if (rest < -0.5) --whole;
    const double near = value - static_cast<double>(whole);
    if ((inexact || near == 0) && std::fabs(near) < 1e-9) {
      return std::to_chars(to, to + kLongestNumber, whole).ptr;
    }
  }
  return std::to_chars(to, to + kLongestNumber, value, std::chars_format::fixed).ptr;
}

bool ReadNumbers(std::string_view text, Numbers& numbers) {
  numbers.values.clear();
  numbers.spans.clear();
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    // A short decimal is read on the way to the number's end.
    std::size_t end = i;
    const bool negative = text[end] == '-';
    if (negative) ++end;
    std::uint64_t digits = 0;
    int count = 0;
    int fraction = -1;
    bool quick = kQuickDecimals;
    for (; end < size && !IsSeparator(text[end]); ++end) {
      const char c = text[end];
      if (c >= '0' && c <= '9') {
        digits = digits * 10 + static_cast<unsigned>(c - '0');
        ++count;
        if (fraction >= 0) ++fraction;
      } else if (c == '.' && fraction < 0) {
        fraction = 0;
      } else {
        quick = false;
      }
    }
    double value = 0;
    if (quick && count > 0 && count <= 15) {
      value = static_cast<double>(digits);
      if (fraction > 0) value /= kPowers[fraction];
      if (negative) value = -value;
    } else {
      // Values are followed by a quote or end in the text they stand in, so
      // the number is read where it stands; one that runs on is read again.
      char* last = nullptr;
      value = std::strtod(text.data() + i, &last);
      if (last != text.data() + end) {
        const std::string token(text.substr(i, end - i));
        value = std::strtod(token.c_str(), &last);
        if (last != token.c_str() + token.size()) return false;
      }
      if (!std::isfinite(value)) return false;
    }
    numbers.values.push_back(value);
    numbers.spans.emplace_back(i, end);
    i = end;
  }
  return true;
}

// Pair i of a block the transform reads: an entity's, or a plain block's.
std::pair<std::string_view, std::string_view> PairOf(const MapBlock& block, std::size_t i) {
  if (block.Role() == BlockRole::kEntity) {
    const KeyValue& pair = block.Entity()->Key(i);
    return {pair.key, pair.value};
  }
  const BlockPair& pair = block.OwnPairs()[i];
  return {pair.key, pair.value};
}

bool HoldsOwnPairs(const MapBlock& block) {
  return block.Role() == BlockRole::kEntity || block.Role() == BlockRole::kPlain;
}

// Room a value is written in, grown as needed and never cleared.
class Scratch {
 public:
  char* Room(std::size_t size) {
    if (size > size_) {
      room_ = std::make_unique_for_overwrite<char[]>(size);
      size_ = size;
    }
    return room_.get();
  }

 private:
  std::unique_ptr<char[]> room_;
  std::size_t size_ = 0;
};

// The value with every number that changed written anew, and everything
// else as it was.
std::string_view Rewrite(std::string_view text, const Numbers& before,
                         const std::vector<double>& now, bool inexact, Scratch& scratch) {
  // Room for the text and each number at its longest; written in place.
  char* const start = scratch.Room(text.size() + now.size() * kLongestNumber);
  char* to = start;
  std::size_t at = 0;
  auto copy = [&](std::size_t from, std::size_t end) {
    std::memcpy(to, text.data() + from, end - from);
    to += end - from;
  };
  for (std::size_t i = 0; i < now.size(); ++i) {
    auto [begin, end] = before.spans[i];
    if (now[i] == before.values[i]) {
      copy(at, end);
    } else {
      copy(at, begin);
      to = PutNumber(to, now[i], inexact);
    }
    at = end;
  }
  copy(at, text.size());
  return {start, static_cast<std::size_t>(to - start)};
}

class Transformer {
 public:
  // A checking transformer computes every change and writes none: Fits says
  // whether every result is a number the map can hold.
  Transformer(const Vector3& offset, const Vector3& angles, bool checking)
      : checking_(checking),
        turn_(FromAngles(angles)),
        offset_(offset),
        turns_(angles != Vector3{0, 0, 0}),
        yawOnly_(angles[0] == 0 && angles[2] == 0),
        yaw_(angles[1]),
        inexact_(offset != Vector3{0, 0, 0} || !Quarters(angles)) {}

  bool Fits() const { return fits_; }

  // Every block in file order. The walk keeps its own stack: nesting has no
  // bound.
  void Walk(MapBlock& top) {
    struct Open {
      MapBlock* block;
      std::size_t next;
      bool displacement;  // a dispinfo block
    };
    std::vector<Open> open;
    auto enter = [&](MapBlock& block, bool inDisplacement) {
      Visit(block, inDisplacement);
      open.push_back({&block, 0, SameName(block.Name(), "dispinfo")});
    };
    enter(top, false);
    while (!open.empty()) {
      Open& at = open.back();
      if (at.next < at.block->ChildCount()) {
        MapBlock& child = at.block->Child(at.next++);
        enter(child, at.displacement);
      } else {
        open.pop_back();
      }
    }
  }

 private:
  void Visit(MapBlock& block, bool inDisplacement) {
    const std::string_view name = block.Name();
    if (block.Role() == BlockRole::kEntity) {
      Entity(block);
    } else if (SameName(name, "side")) {
      Side(block);
    } else if (SameName(name, "dispinfo")) {
      Each(block, "startposition", [this](Numbers& n) { return Points(n, 3); });
    } else if (SameName(name, "vertices_plus")) {
      Each(block, "v", [this](Numbers& n) { return Points(n, 3); });
    } else if (inDisplacement && (SameName(name, "normals") || SameName(name, "offset_normals") ||
                                  SameName(name, "offsets"))) {
      for (std::size_t i = 0; i < block.KeyCount() && HoldsOwnPairs(block); ++i) {
        Change(block, i, [this](Numbers& n) { return Vectors(n); });
      }
    }
  }

  // Changes pair i's numbers with change, which says whether it could.
  template <typename Edit>
  void Change(MapBlock& block, std::size_t i, Edit change) {
    const std::string_view text = PairOf(block, i).second;
    Numbers& numbers = numbers_;
    if (!ReadNumbers(text, numbers)) return;
    before_ = numbers.values;
    if (!change(numbers)) return;
    if (checking_) {
      for (double value : numbers.values) fits_ = fits_ && std::fabs(value) <= kLargestNumber;
      return;
    }
    std::swap(before_, numbers.values);
    const std::string_view value = Rewrite(text, numbers, before_, inexact_, scratch_);
    if (value != text) static_cast<void>(block.SetValue(i, value));
  }
  template <typename Edit>
  void Each(MapBlock& block, std::string_view key, Edit change) {
    if (!HoldsOwnPairs(block)) return;
    for (std::size_t i = 0; i < block.KeyCount(); ++i) {
      if (SameName(PairOf(block, i).first, key)) Change(block, i, change);
    }
  }

  // Every three numbers a point, moved and turned; or a vector, turned.
  bool Points(Numbers& numbers, std::size_t count) {
    if (numbers.values.size() != count) return false;
    for (std::size_t i = 0; i + 3 <= count; i += 3) {
      Vector3 p = turn_ * Vector3{numbers.values[i], numbers.values[i + 1], numbers.values[i + 2]};
      for (int k = 0; k < 3; ++k) numbers.values[i + k] = p[k] + offset_[k];
    }
    return true;
  }
  bool Vectors(Numbers& numbers) {
    if (numbers.values.size() % 3 != 0) return false;
    for (std::size_t i = 0; i < numbers.values.size(); i += 3) {
      Vector3 v = turn_ * Vector3{numbers.values[i], numbers.values[i + 1], numbers.values[i + 2]};
      for (int k = 0; k < 3; ++k) numbers.values[i + k] = v[k];
    }
    return true;
  }
  // "[ux uy uz shift] scale": the axis turns with the brush and the shift
  // follows the move, so that the texture stays where it was on the face.
  bool Axis(Numbers& numbers) {
    if (numbers.values.size() != 5) return false;
    std::vector<double>& n = numbers.values;
    const Vector3 axis = turn_ * Vector3{n[0], n[1], n[2]};
    for (int k = 0; k < 3; ++k) n[k] = axis[k];
    if (n[4] != 0) n[3] -= Dot(offset_, axis) / n[4];
    return true;
  }

  void Side(MapBlock& block) {
    for (std::size_t i = 0; i < block.KeyCount() && HoldsOwnPairs(block); ++i) {
      const std::string_view key = PairOf(block, i).first;
      if (SameName(key, "plane")) {
        Change(block, i, [this](Numbers& n) { return Points(n, 9); });
      } else if (SameName(key, "uaxis") || SameName(key, "vaxis")) {
        Change(block, i, [this](Numbers& n) { return Axis(n); });
      }
    }
  }

  // A turn by whole degrees about the vertical adds to the yaw alone,
  // in decimal: nothing rounds. False when the turn or the text is another.
  bool TurnYaw(MapBlock& block, std::size_t i) {
    if (!yawOnly_ || std::trunc(yaw_) != yaw_) return false;
    const std::string_view text = PairOf(block, i).second;
    Numbers numbers;
    if (!ReadNumbers(text, numbers) || numbers.values.size() != 3) return false;
    auto [begin, end] = numbers.spans[1];
    std::optional<std::string> yaw =
        AddDegrees(text.substr(begin, end - begin), static_cast<long long>(yaw_));
    if (!yaw) return false;
    if (checking_) return true;
    std::string value(text);
    value.replace(begin, end - begin, *yaw);
    if (value != text) static_cast<void>(block.SetValue(i, value));
    return true;
  }

  void Entity(MapBlock& block) {
    for (std::size_t i = 0; i < block.KeyCount(); ++i) {
      const std::string_view key = PairOf(block, i).first;
      if (SameName(key, "origin") || SameName(key, "BasisOrigin")) {
        Change(block, i, [this](Numbers& n) { return Points(n, 3); });
      } else if (SameName(key, "BasisNormal") || SameName(key, "BasisU") ||
                 SameName(key, "BasisV")) {
        Change(block, i, [this](Numbers& n) { return n.values.size() == 3 && Vectors(n); });
      } else if (SameName(key, "angles") && turns_ && !TurnYaw(block, i)) {
        Change(block, i, [this](Numbers& n) {
          if (n.values.size() != 3) return false;
          Vector3 angles = AnglesOf(turn_ * FromAngles({n.values[0], n.values[1], n.values[2]}));
          n.values.assign(angles.begin(), angles.end());
          return true;
        });
      }
    }
  }

  bool checking_;
  bool fits_ = true;
  Matrix turn_;
  Vector3 offset_;
  bool turns_;
  bool yawOnly_;
  double yaw_;
  // Moves round, and so do turns by other than quarters: their results may
  // carry noise worth rounding away. Quarter turns only swap and negate.
  bool inexact_;
  Numbers numbers_;  // room reused from value to value
  std::vector<double> before_;
  Scratch scratch_;
};

}  // namespace

std::optional<Vector3> ReadVector(std::string_view text) {
  Numbers numbers;
  for (char c : text) {
    if (c == '(' || c == ')' || c == '[' || c == ']') return std::nullopt;
  }
  if (!ReadNumbers(text, numbers) || numbers.values.size() != 3) return std::nullopt;
  return Vector3{numbers.values[0], numbers.values[1], numbers.values[2]};
}

std::string WriteNumber(double value, bool inexact) {
  char text[kLongestNumber];
  return std::string(text, PutNumber(text, value, inexact));
}

EditResult TransformDocument(MapDocument& document, const Vector3& offset, const Vector3& angles) {
  Vector3 turn;
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(offset[k]) || !std::isfinite(angles[k])) {
      return EditResult::Refused("the offset and the angles must be finite numbers");
    }
    if (std::fabs(offset[k]) > kLargestNumber) {
      return EditResult::Refused("the offset goes beyond 1e15 units, which a map cannot hold");
    }
    // One turn at most, before anything is computed: the entities and the
    // brushes turn by the same amount however large the angle.
    turn[k] = std::fmod(angles[k], 360.0);
  }
  BlockTree* tree = document.Blocks();
  if (tree == nullptr) return EditResult::Refused("the blocks are not read");
  if (offset == Vector3{0, 0, 0} && turn == Vector3{0, 0, 0}) return EditResult::Done();
  Transformer check(offset, turn, true);
  check.Walk(tree->Top());
  if (!check.Fits()) {
    return EditResult::Refused(
        "the turn or the move would put numbers beyond 1e15, which a map cannot hold");
  }
  Transformer(offset, turn, false).Walk(tree->Top());
  return EditResult::Done();
}

}  // namespace mapwright
