// The token rules written the plain way, one byte at a time through the
// cursor operations, as a reference for the fast reader.
#ifndef MAPWRIGHT_TESTS_REFERENCE_TOKEN_READER_H
#define MAPWRIGHT_TESTS_REFERENCE_TOKEN_READER_H

#include "tokenizer/char_class.h"
#include "tokenizer/token_type.h"

namespace mapwright::testing {

class ReferenceTokenReader {
 public:
  explicit ReferenceTokenReader(const char* text) : cursor_(text) {}
  const char* Cursor() const { return cursor_; }

  TokenType ReadToken(char* buffer, int limit) {
    while (HasClass(Peek(), kWhitespace)) ++cursor_;
    char ch = NextChar();
    if (ch == '\0') {
      StepBack();
      buffer[0] = '\0';
      return TOKEN_EOF;
    }
    if (HasClass(ch, kOperator)) {
      buffer[0] = ch;
      buffer[1] = '\0';
      return TOKEN_OPERATOR;
    }
    if (ch == '/' && Peek() == '/') return LineComment(buffer, limit);
    if (ch == '/' && Peek() == '*') return BlockComment(buffer, limit);
    if (ch == '"') {
      QuotedString(buffer, limit);
      return TOKEN_STRING;
    }
    if (HasClass(ch, kDigit) || ch == '-') return Number(ch, buffer, limit);
    return Identifier(ch, buffer, limit);
  }

 private:
  char NextChar() { return *cursor_++; }
  void StepBack() { --cursor_; }
  char Peek() const { return *cursor_; }

  TokenType LineComment(char* buffer, int limit) {
    ++cursor_;
    int length = 0;
    for (;;) {
      char ch = NextChar();
      if (ch == '\n' || ch == '\0') {
        StepBack();
        break;
      }
      if (length >= limit) break;
      buffer[length++] = ch;
    }
    buffer[length] = '\0';
    return TOKEN_COMMENT;
  }

  TokenType BlockComment(char* buffer, int limit) {
    ++cursor_;
    int length = 0;
    for (;;) {
      char ch = NextChar();
      if (ch == '\0') {
        StepBack();
        break;
      }
      if (ch == '*' && Peek() == '/') {
        ++cursor_;
        break;
      }
      if (length < limit) buffer[length++] = ch;
    }
    buffer[length] = '\0';
    return TOKEN_COMMENT;
  }

  void QuotedString(char* buffer, int limit) {
    int length = 0;
    char ch = NextChar();
    while (ch != '\0' && ch != '"' && length < limit - 2) {
      buffer[length++] = ch;
      ch = NextChar();
    }
    if (ch == '\0') {
      StepBack();
    } else if (ch != '"') {
      for (;;) {
        char skipped = NextChar();
        if (skipped == '\0') {
          StepBack();
          break;
        }
        if (skipped == '"') break;
      }
    }
    buffer[length] = '\0';
  }

  TokenType Number(char ch, char* buffer, int limit) {
    int length = 0;
    for (;;) {
      if (length >= limit) break;
      buffer[length++] = ch;
      ch = NextChar();
      if (ch == '-') {
        buffer[0] = '\0';
        return TOKEN_ERROR;
      }
      if (!HasClass(ch, kNumberTail)) {
        StepBack();
        break;
      }
    }
    buffer[length] = '\0';
    return TOKEN_NUMBER;
  }

  TokenType Identifier(char ch, char* buffer, int limit) {
    int length = 0;
    while (HasClass(ch, kWord) && length < limit) {
      buffer[length++] = ch;
      ch = NextChar();
    }
    if (ch == '\0') StepBack();
    buffer[length] = '\0';
    return TOKEN_IDENTIFIER;
  }

  const char* cursor_;
};

}  // namespace mapwright::testing

#endif
