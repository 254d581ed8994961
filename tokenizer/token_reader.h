// Splits a NUL-terminated text into tokens, one per ReadToken call, reading the
// text in place through a single cursor. The cursor never moves past the
// terminator, so once the text is exhausted every call returns TOKEN_EOF.
#ifndef MAPWRIGHT_TOKENIZER_TOKEN_READER_H
#define MAPWRIGHT_TOKENIZER_TOKEN_READER_H

#include "tokenizer/token_type.h"

namespace mapwright {

class TokenReader {
 public:
  explicit TokenReader(const char* text) : cursor_(text) {}

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
  void StepBack() { --cursor_; }
  char Peek() const { return *cursor_; }
  void Advance(int count);
  void SkipTo(char stop);

 private:
  TokenType ReadLineComment(char* buffer, int limit);
  TokenType ReadBlockComment(char* buffer, int limit);
  TokenType ReadNumber(char first, char* buffer, int limit);
  TokenType ReadIdentifier(char first, char* buffer, int limit);

  const char* cursor_;
};

// The reader as used by the parser and the script object. Being final, calls on
// it need no virtual dispatch.
class PlainTokenReader final : public TokenReader {
 public:
  using TokenReader::TokenReader;
};

}  // namespace mapwright

#endif
