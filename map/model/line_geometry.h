// Where lines of map text end, where new lines go and what a removal takes:
// one set of rules for the parser, which records places, and the writer,
// which edits at them. A line ends with LF, CR LF, or a CR alone (as old
// editors wrote). Texts have a terminator after their last byte.
#ifndef MAPWRIGHT_MAP_MODEL_LINE_GEOMETRY_H
#define MAPWRIGHT_MAP_MODEL_LINE_GEOMETRY_H

#include <cstddef>
#include <string_view>

namespace mapwright {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

inline const char* PastBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

inline bool IsLineEndByte(char c) {
  return c == '\n' || c == '\r';
}

// Past the line ending that follows p after blanks; null when something
// else comes first.
inline const char* PastLineEnd(const char* p) {
  p = PastBlanks(p);
  if (*p == '\r') return p[1] == '\n' ? p + 2 : p + 1;
  return *p == '\n' ? p + 1 : nullptr;
}

// Whether a line ends just before at: not between the CR and LF of one.
inline bool LineEndsBefore(std::string_view text, std::size_t at) {
  const char before = text[at - 1];
  return before == '\n' || (before == '\r' && (at >= text.size() || text[at] != '\n'));
}

// The count of line ends in [from, to).
inline std::size_t LineEndsIn(const char* from, const char* to) {
  std::size_t count = 0;
  for (; from < to; ++from) {
    count += *from == '\n' || (*from == '\r' && (from + 1 == to || from[1] != '\n'));
  }
  return count;
}

// Where new lines go after what ends at at: past the end of its line when
// only blanks follow on it, the end of the text when only blanks follow
// there; else at itself (new text then starts a line of its own).
inline std::size_t LineAfter(std::string_view text, std::size_t at) {
  if (const char* next = PastLineEnd(text.data() + at)) {
    return static_cast<std::size_t>(next - text.data());
  }
  const char* blanks = PastBlanks(text.data() + at);
  return blanks == text.data() + text.size() ? text.size() : at;
}

// The start of at's line when only blanks come before it there; else at.
inline std::size_t LineStartBefore(std::string_view text, std::size_t at) {
  std::size_t start = at;
  while (start > 0 && IsBlank(text[start - 1])) --start;
  return start == 0 || LineEndsBefore(text, start) ? start : at;
}

// The blanks that indent at's line when only they come before it there.
inline std::size_t IndentBefore(std::string_view text, std::size_t at) {
  return at <= text.size() ? at - LineStartBefore(text, at) : 0;
}

// New lines are indented by their depth, up to this many tabs: text nested
// deeper than any editor writes grows by its lines, not by their square.
inline constexpr int kDeepestIndent = 32;

// Whether text inserted at at starts a line.
inline bool StartsLine(std::string_view text, std::size_t at) {
  return at == 0 || at > text.size() || LineEndsBefore(text, at);
}

struct TextRange {
  std::size_t begin;
  std::size_t end;
};

// What removing [at, end) takes: its whole lines, blanks and line ending
// included, when nothing else stands on them; else the range alone.
inline TextRange RemovalOf(std::string_view text, std::size_t at, std::size_t end) {
  const std::size_t begin = LineStartBefore(text, at);
  if (begin == at && !StartsLine(text, at)) return {at, end};
  if (const char* next = PastLineEnd(text.data() + end)) {
    return {begin, static_cast<std::size_t>(next - text.data())};
  }
  const char* blanks = PastBlanks(text.data() + end);
  if (blanks == text.data() + text.size()) return {begin, text.size()};
  return {at, end};
}

}  // namespace mapwright

#endif
