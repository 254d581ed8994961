#include "tokenizer/token_reader.h"

#include "tokenizer/char_class.h"

namespace mapwright {

void TokenReader::Advance(int count) {
  for (; count > 0 && *cursor_ != '\0'; --count) ++cursor_;
}

void TokenReader::SkipTo(char stop) {
  for (;;) {
    char ch = NextChar();
    if (ch == '\0') {
      StepBack();  // the terminator stays unread
      return;
    }
    if (ch == stop) return;
  }
}

void TokenReader::SkipWhitespace() {
  while (HasClass(Peek(), kWhitespace)) ++cursor_;
}

TokenType TokenReader::ReadToken(char* buffer, int limit) {
  SkipWhitespace();
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
  if (ch == '/' && Peek() == '/') return ReadLineComment(buffer, limit);
  if (ch == '/' && Peek() == '*') return ReadBlockComment(buffer, limit);
  if (ch == '"') {
    ReadQuotedString(buffer, limit);
    return TOKEN_STRING;
  }
  if (HasClass(ch, kDigit) || ch == '-') return ReadNumber(ch, buffer, limit);
  return ReadIdentifier(ch, buffer, limit);
}

TokenType TokenReader::ReadLineComment(char* buffer, int limit) {
  Advance(1);
  int length = 0;
  for (;;) {
    char ch = NextChar();
    if (ch == '\n' || ch == '\0') {
      StepBack();
      break;
    }
    if (length >= limit) break;  // ch is consumed and lost
    buffer[length++] = ch;
  }
  buffer[length] = '\0';
  return TOKEN_COMMENT;
}

TokenType TokenReader::ReadBlockComment(char* buffer, int limit) {
  Advance(1);
  int length = 0;
  for (;;) {
    char ch = NextChar();
    if (ch == '\0') {  // unclosed: end with what was copied
      StepBack();
      break;
    }
    if (ch == '*' && Peek() == '/') {
      Advance(1);
      break;
    }
    if (length < limit) buffer[length++] = ch;
  }
  buffer[length] = '\0';
  return TOKEN_COMMENT;
}

void TokenReader::ReadQuotedString(char* buffer, int limit) {
  const int room = limit - 2;
  int length = 0;
  char ch = NextChar();
  while (ch != '\0' && ch != '"' && length < room) {
    buffer[length++] = ch;
    ch = NextChar();
  }
  if (ch == '\0') {
    StepBack();
  } else if (ch != '"') {
    SkipTo('"');  // too long: drop the rest of the string
  }
  buffer[length] = '\0';
}

TokenType TokenReader::ReadNumber(char first, char* buffer, int limit) {
  int length = 0;
  char ch = first;
  for (;;) {
    if (length >= limit) break;  // ch is consumed and lost
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

TokenType TokenReader::ReadIdentifier(char first, char* buffer, int limit) {
  int length = 0;
  char ch = first;
  // The byte that ends an identifier is consumed with it, unless it is the terminator.
  while (HasClass(ch, kWord) && length < limit) {
    buffer[length++] = ch;
    ch = NextChar();
  }
  if (ch == '\0') StepBack();
  buffer[length] = '\0';
  return TOKEN_IDENTIFIER;
}

}  // namespace mapwright
