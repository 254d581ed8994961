// Splits a NUL-terminated text into tokens, one per call, reading the text in
// place through a single cursor. The cursor never moves past the terminator,
// so once the text is exhausted every call returns TOKEN_EOF.
//
// Every token's text is one contiguous piece of the source, so the rules are
// written once, as scans that leave the text in place (ReadTokenInPlace);
// ReadToken copies what they found into the caller's buffer.
#ifndef MAPWRIGHT_TOKENIZER_TOKEN_READER_H
#define MAPWRIGHT_TOKENIZER_TOKEN_READER_H

#include <cstddef>
#include <cstring>

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

  char NextChar() { return *cursor_++; }
  char Peek() const { return *cursor_; }
  void SkipTo(char stop);

  // The token ReadToken would read, with its text left in place. Calls no
  // virtual operation.
  TokenView ReadTokenInPlace(int limit);
  TokenView ReadQuotedStringInPlace(int limit);

 private:
  void SkipWhitespaceInPlace();
  TokenView ReadUnquotedInPlace(char first, int limit);
  TokenView ReadLineComment(int limit);
  TokenView ReadBlockComment(int limit);
  TokenView ReadNumber(int limit);
  TokenView ReadIdentifier(int limit);

  const char* cursor_;
  const char* end_;  // the terminator
};

// The reader as the parser and the script object use it: final, so that calls
// on it need no virtual dispatch, and with the in-place scan open to callers.
class InPlaceTokenReader final : public TokenReader {
 public:
  using TokenReader::ReadTokenInPlace;
  using TokenReader::TokenReader;
};

}  // namespace mapwright

#endif
