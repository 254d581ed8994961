// Splits a NUL-terminated text into tokens, one per call, reading the text in
// place through a single cursor. The cursor never moves past the terminator,
// so once the text is exhausted every call returns TOKEN_EOF.
//
// Every token's text is one contiguous piece of the source, so the rules are
// written once, as scans that leave the text in place (ReadTokenInPlace);
// ReadToken copies what they found into the caller's buffer.
#ifndef MAPWRIGHT_TOKENIZER_TOKEN_READER_H
#define MAPWRIGHT_TOKENIZER_TOKEN_READER_H

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "tokenizer/char_class.h"
#include "tokenizer/token_type.h"

namespace mapwright {

// Sixteen bytes, so that it comes back in registers.
struct TokenView {
  const char* text;  // points into the source, not terminated; for an error
  int length;        // the number it broke, for the end the terminator, both empty
  TokenType type;
};

class TokenReader {
 public:
  explicit TokenReader(const char* text) : cursor_(text), end_(text + std::strlen(text)) {}

  // Writes the token's text and a terminator into buffer, which holds at least
  // limit + 1 bytes, and returns the token's kind. TOKEN_EOF and TOKEN_ERROR
  // leave an empty text.
  virtual TokenType ReadToken(char* buffer, int limit);
  virtual void SkipWhitespace();
  // Called with the cursor just behind an opening quotation mark.
  virtual void ReadQuotedString(char* buffer, int limit);

  const char* Cursor() const { return cursor_; }

 protected:
  ~TokenReader() = default;
  // For a text measured already: text[length] is its terminator.
  TokenReader(const char* text, std::size_t length) : cursor_(text), end_(text + length) {}

  char NextChar() { return *cursor_++; }
  // For a caller that read on by itself: where is at or after the cursor,
  // and no further than the terminator.
  void MoveTo(const char* where) { cursor_ = where; }
  char Peek() const { return *cursor_; }
  void SkipTo(char stop);

  // The token ReadToken would read, with its text left in place. Calls no
  // virtual operation.
  inline TokenView ReadTokenInPlace(int limit);
  inline TokenView ReadQuotedStringInPlace(int limit);

 private:
  void SkipWhitespaceInPlace() { cursor_ = PastWhitespace(cursor_); }
  TokenView ReadLongString(const char* start, std::size_t room);
  TokenView ReadUnquotedInPlace(char first, int limit);
  TokenView ReadLineComment(int limit);
  TokenView ReadBlockComment(int limit);
  TokenView ReadNumber(int limit);
  TokenView ReadIdentifier(int limit);

  const char* cursor_;
  const char* end_;  // the terminator
};

// The first quotation mark in [from, stop), or null. Most quoted texts of a
// map are short: their first 64 bytes are searched inline, sixteen bytes at a
// time where the processor has SSE2, else eight.
inline const char* FindQuote(const char* from, const char* stop) {
  const char* shortStop = stop - from > 64 ? from + 64 : stop;
#if defined(__SSE2__)
  for (; shortStop - from >= 16; from += 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    auto quotes =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'))));
    if (quotes != 0) return from + std::countr_zero(quotes);
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    for (; shortStop - from >= 8; from += 8) {
      std::uint64_t word;
      std::memcpy(&word, from, 8);
      word ^= kOnes * '"';  // a quotation mark becomes a zero byte
      std::uint64_t zeros = (word - kOnes) & ~word & (kOnes * 0x80);
      if (zeros != 0) return from + std::countr_zero(zeros) / 8;
    }
  }
  return static_cast<const char*>(std::memchr(from, '"', static_cast<std::size_t>(stop - from)));
}

inline TokenView TokenReader::ReadTokenInPlace(int limit) {
  SkipWhitespaceInPlace();
  if (cursor_ == end_) return {end_, 0, TOKEN_EOF};
  char first = NextChar();
  if (first == '"') return ReadQuotedStringInPlace(limit);
  return ReadUnquotedInPlace(first, limit);
}

// At most limit - 2 characters are kept; a longer string is skipped up to and
// including its closing quotation mark. The end of the text ends a string.
inline TokenView TokenReader::ReadQuotedStringInPlace(int limit) {
  const char* start = cursor_;
  const std::size_t room = static_cast<std::size_t>(std::max(limit - 2, 0));
  const std::size_t left = static_cast<std::size_t>(end_ - start);
  const char* close = FindQuote(start, start + std::min(left, room + 1));
  if (close == nullptr) return ReadLongString(start, room);
  cursor_ = close + 1;
  return {start, static_cast<int>(close - start), TOKEN_STRING};
}

// The reader as the parser and the script object use it: final, so that calls
// on it need no virtual dispatch, and with the in-place scan open to callers.
class InPlaceTokenReader final : public TokenReader {
 public:
  using TokenReader::MoveTo;
  using TokenReader::ReadTokenInPlace;
  explicit InPlaceTokenReader(const char* text) : TokenReader(text) {}
  // A text whose length the caller measured, and which it keeps terminated:
  // text[length] must be '\0' (a whole map is not measured twice).
  InPlaceTokenReader(const char* text, std::size_t length) : TokenReader(text, length) {}
};

}  // namespace mapwright

#endif
