// The fast reader against the plain reference, token by token, on random
// texts built from the bytes that matter to the rules, at small and real limits.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "reference_token_reader.h"
#include "tokenizer/token_reader.h"

namespace mapwright::testing {
namespace {

std::string RandomText(std::mt19937& random, std::size_t size) {
  static const std::string alphabet = "aZ_9-.\"/*\n\t\r {}!,\\#\v\x1b\x80";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    std::size_t pick = random() % (alphabet.size() + 2);
    text += pick < alphabet.size() ? alphabet[pick] : static_cast<char>('a' + random() % 3);
  }
  return text;
}

void ExpectSameTokens(const std::string& text, int limit) {
  InPlaceTokenReader fast(text.c_str());
  ReferenceTokenReader reference(text.c_str());
  std::vector<char> fastBuffer(static_cast<std::size_t>(limit) + 1);
  std::vector<char> referenceBuffer(static_cast<std::size_t>(limit) + 1);
  for (int step = 0; step < 100000; ++step) {
    TokenType expected = reference.ReadToken(referenceBuffer.data(), limit);
    TokenType actual = fast.ReadToken(fastBuffer.data(), limit);
    ASSERT_EQ(actual, expected) << "step " << step << " limit " << limit << " text " << text;
    ASSERT_STREQ(fastBuffer.data(), referenceBuffer.data()) << "step " << step << " text " << text;
    ASSERT_EQ(fast.Cursor(), reference.Cursor()) << "step " << step << " text " << text;
    if (expected == TOKEN_EOF) return;
  }
  FAIL() << "no end of text";
}

TEST(TokenReaderDifferential, RandomTextsAtSmallLimits) {
  std::mt19937 random(12345);
  for (int round = 0; round < 4000; ++round) {
    std::string text = RandomText(random, random() % 64);
    for (int limit : {2, 3, 4, 7}) ExpectSameTokens(text, limit);
  }
}

TEST(TokenReaderDifferential, LongTokensAtRealLimits) {
  std::mt19937 random(777);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int part = 0; part < 6; ++part) {
      std::size_t length = 1000 + random() % 1100;
      switch (random() % 5) {
        case 0:
          text += "\"" + std::string(length, 's') + (random() % 2 ? "\"" : "");
          break;
        case 1:
          text += std::string(length, 'w');
          break;
        case 2:
          text += "//" + std::string(length, 'c') + "\n";
          break;
        case 3:
          text += "/*" + std::string(length, 'b') + (random() % 2 ? "*/" : "");
          break;
        default:
          text += std::string(length, '7');
          break;
      }
      text += RandomText(random, 5);
    }
    for (int limit : {1023, 2048}) ExpectSameTokens(text, limit);
  }
}

TEST(TokenReaderDifferential, InPlaceTokensEqualCopiedTokens) {
  std::mt19937 random(99);
  for (int round = 0; round < 2000; ++round) {
    std::string text = RandomText(random, random() % 80);
    InPlaceTokenReader inPlace(text.c_str());
    ReferenceTokenReader reference(text.c_str());
    char buffer[8];
    for (;;) {
      TokenView token = inPlace.ReadTokenInPlace(5);
      TokenType expected = reference.ReadToken(buffer, 5);
      ASSERT_EQ(token.type, expected) << text;
      ASSERT_EQ(std::string(token.text, static_cast<std::size_t>(token.length)), buffer) << text;
      ASSERT_EQ(inPlace.Cursor(), reference.Cursor()) << text;
      if (expected == TOKEN_EOF) break;
    }
  }
}

}  // namespace
}  // namespace mapwright::testing
