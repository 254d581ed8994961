// Byte classes of the token syntax, as one table lookup per byte.
#ifndef MAPWRIGHT_TOKENIZER_CHAR_CLASS_H
#define MAPWRIGHT_TOKENIZER_CHAR_CLASS_H

#include <array>
#include <cstdint>

namespace mapwright {

enum CharClass : std::uint8_t {
  kWhitespace = 1,  // tab, line feed, carriage return, space
  kOperator = 2,    // one of the 17 one-character operators
  kDigit = 4,       // '0'..'9'
  kWord = 8,        // letters, digits and '_': what an identifier is made of
  kNumberTail = 16  // digits and '.': what may follow a number's first character
};

inline constexpr std::array<std::uint8_t, 256> kCharClasses = [] {
  std::array<std::uint8_t, 256> table{};
  for (unsigned char c : {'\t', '\n', '\r', ' '}) table[c] |= kWhitespace;
  for (unsigned char c :
       {'!', '$', '&', '(', ')', '*', '+', ',', '.', ':', '=', '@', '[', '\\', ']', '{', '}'}) {
    table[c] |= kOperator;
  }
  for (int c = '0'; c <= '9'; ++c) table[c] |= kDigit | kWord | kNumberTail;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] |= kWord;
  for (int c = 'a'; c <= 'z'; ++c) table[c] |= kWord;
  table['_'] |= kWord;
  table['.'] |= kNumberTail;
  return table;
}();

inline bool HasClass(char c, CharClass cls) {
  return (kCharClasses[static_cast<unsigned char>(c)] & cls) != 0;
}

// Whether c starts an identifier: a word character that starts no number.
inline bool StartsIdentifier(char c) {
  return HasClass(c, kWord) && !HasClass(c, kDigit);
}

// Past the word characters at p, in a text with a terminator.
inline const char* PastWord(const char* p) {
  while (HasClass(*p, kWord)) ++p;
  return p;
}

// Past the whitespace at p, in a text with a terminator.
inline const char* PastWhitespace(const char* p) {
  while (HasClass(*p, kWhitespace)) ++p;
  return p;
}

}  // namespace mapwright

#endif
