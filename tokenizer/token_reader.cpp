#include "tokenizer/token_reader.h"

#include <algorithm>

#include "tokenizer/char_class.h"

namespace mapwright {
namespace {

TokenView Token(TokenType type, const char* text, std::ptrdiff_t length) {
  return {text, static_cast<int>(length), type};
}

void CopyOut(const TokenView& token, char* buffer) {
  std::memcpy(buffer, token.text, static_cast<std::size_t>(token.length));
  buffer[token.length] = '\0';
}

}  // namespace

void TokenReader::SkipTo(char stop) {
  const void* found = std::memchr(cursor_, stop, static_cast<std::size_t>(end_ - cursor_));
  cursor_ = found != nullptr ? static_cast<const char*>(found) + 1 : end_;
}

void TokenReader::SkipWhitespace() {
  SkipWhitespaceInPlace();
}

TokenType TokenReader::ReadToken(char* buffer, int limit) {
  SkipWhitespace();
  if (cursor_ == end_) {
    buffer[0] = '\0';
    return TOKEN_EOF;
  }
  char first = NextChar();
  if (first == '"') {
    ReadQuotedString(buffer, limit);
    return TOKEN_STRING;
  }
  TokenView token = ReadUnquotedInPlace(first, limit);
  CopyOut(token, buffer);
  return token.type;
}

void TokenReader::ReadQuotedString(char* buffer, int limit) {
  CopyOut(ReadQuotedStringInPlace(limit), buffer);
}

TokenView TokenReader::ReadUnquotedInPlace(char first, int limit) {
  if (HasClass(first, kOperator)) return Token(TOKEN_OPERATOR, cursor_ - 1, 1);
  if (first == '/' && Peek() == '/') return ReadLineComment(limit);
  if (first == '/' && Peek() == '*') return ReadBlockComment(limit);
  if (HasClass(first, kDigit) || first == '-') return ReadNumber(limit);
  return ReadIdentifier(limit);
}

// A string with no closing quotation mark within the room: cut at the room,
// or ended by the end of the text.
TokenView TokenReader::ReadLongString(const char* start, std::size_t room) {
  const std::size_t left = static_cast<std::size_t>(end_ - start);
  if (left <= room) {
    cursor_ = end_;
    return Token(TOKEN_STRING, start, end_ - start);
  }
  cursor_ = start + room + 1;  // the first byte beyond the room is read and dropped
  SkipTo('"');
  return Token(TOKEN_STRING, start, static_cast<std::ptrdiff_t>(room));
}

// The text is everything between "//" and the line feed, cut at limit
// characters; a cut loses the next character and leaves the rest of the line.
TokenView TokenReader::ReadLineComment(int limit) {
  const char* start = ++cursor_;
  std::size_t span =
      std::min(static_cast<std::size_t>(end_ - start), static_cast<std::size_t>(limit));
  const void* newline = std::memchr(start, '\n', span);
  const char* stop = newline != nullptr ? static_cast<const char*>(newline) : start + span;
  cursor_ = (*stop == '\n' || stop == end_) ? stop : stop + 1;
  return Token(TOKEN_COMMENT, start, stop - start);
}

// Consumed up to and including the first "*/" (or to the end of the text);
// only the copy is cut at limit characters.
TokenView TokenReader::ReadBlockComment(int limit) {
  const char* start = ++cursor_;
  const char* close = end_;
  cursor_ = end_;
  for (const char* p = start; p < end_;) {
    const char* star =
        static_cast<const char*>(std::memchr(p, '*', static_cast<std::size_t>(end_ - p)));
    if (star == nullptr) break;
    if (star[1] == '/') {
      close = star;
      cursor_ = star + 2;
      break;
    }
    p = star + 1;
  }
  return Token(TOKEN_COMMENT, start, std::min<std::ptrdiff_t>(close - start, limit));
}

// A number is its first character ('-' or a digit) and any run of digits and
// '.'; a '-' after the first character is an error. A cut at limit characters
// loses the next character.
TokenView TokenReader::ReadNumber(int limit) {
  const char* start = cursor_ - 1;
  const char* p = start;
  for (;;) {
    if (p - start >= limit) {
      cursor_ = p + 1;
      return Token(TOKEN_NUMBER, start, p - start);
    }
    ++p;
    if (*p == '-') {
      cursor_ = p + 1;
      return Token(TOKEN_ERROR, start, 0);
    }
    if (!HasClass(*p, kNumberTail)) {
      cursor_ = p;
      return Token(TOKEN_NUMBER, start, p - start);
    }
  }
}

// Letters, digits and '_', cut at limit characters. The byte that ends an
// identifier is consumed with it, whatever it is, unless it is the
// terminator; a byte that starts no token is an empty identifier.
TokenView TokenReader::ReadIdentifier(int limit) {
  const char* start = cursor_ - 1;
  if (!HasClass(*start, kWord)) return Token(TOKEN_IDENTIFIER, start, 0);
  const char* p = start;
  while (p - start < limit && HasClass(*p, kWord)) ++p;
  cursor_ = p == end_ ? p : p + 1;
  return Token(TOKEN_IDENTIFIER, start, p - start);
}

}  // namespace mapwright
