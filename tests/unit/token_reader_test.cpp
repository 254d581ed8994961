#include "tokenizer/token_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace mapwright {
namespace {

using Token = std::pair<TokenType, std::string>;

std::vector<Token> ReadAll(const std::string& text, int limit = 2048) {
  InPlaceTokenReader reader(text.c_str());
  std::vector<char> buffer(static_cast<std::size_t>(limit) + 1);
  std::vector<Token> tokens;
  for (int guard = 0; guard < 100000; ++guard) {
    TokenType type = reader.ReadToken(buffer.data(), limit);
    if (type == TOKEN_EOF) break;
    tokens.emplace_back(type, buffer.data());
  }
  return tokens;
}

Token Tok(TokenType type, std::string text) {
  return {type, std::move(text)};
}

TEST(TokenReader, EmptyAndWhitespaceOnlyTextsAreEof) {
  EXPECT_TRUE(ReadAll("").empty());
  EXPECT_TRUE(ReadAll(" \t\r\n  \n").empty());
}

TEST(TokenReader, VerticalTabAndFormFeedAreEmptyIdentifiers) {
  EXPECT_EQ(ReadAll("\v\f"),
            (std::vector<Token>{Tok(TOKEN_IDENTIFIER, ""), Tok(TOKEN_IDENTIFIER, "")}));
}

TEST(TokenReader, BracesAndBlockNames) {
  EXPECT_EQ(ReadAll("{}"),
            (std::vector<Token>{Tok(TOKEN_OPERATOR, "{"), Tok(TOKEN_OPERATOR, "}")}));
  EXPECT_EQ(ReadAll("world\n{"),
            (std::vector<Token>{Tok(TOKEN_IDENTIFIER, "world"), Tok(TOKEN_OPERATOR, "{")}));
  // The byte that ends an identifier is consumed with it.
  EXPECT_EQ(ReadAll("world{}"),
            (std::vector<Token>{Tok(TOKEN_IDENTIFIER, "world"), Tok(TOKEN_OPERATOR, "}")}));
}

TEST(TokenReader, EveryOperatorIsOneToken) {
  std::string operators = "!$&()*+,.:=@[\\]{}";
  std::vector<Token> tokens = ReadAll(operators);
  ASSERT_EQ(tokens.size(), operators.size());
  for (std::size_t i = 0; i < operators.size(); ++i) {
    EXPECT_EQ(tokens[i], Tok(TOKEN_OPERATOR, std::string(1, operators[i])));
  }
}

TEST(TokenReader, CharactersThatStartNoTokenGiveEmptyIdentifiers) {
  EXPECT_EQ(ReadAll(" / # ; ? \x80"), std::vector<Token>(5, Tok(TOKEN_IDENTIFIER, "")));
}

TEST(TokenReader, Strings) {
  EXPECT_EQ(ReadAll("\"id\" \"1\""),
            (std::vector<Token>{Tok(TOKEN_STRING, "id"), Tok(TOKEN_STRING, "1")}));
  EXPECT_EQ(ReadAll("\"a\\\" x"),
            (std::vector<Token>{Tok(TOKEN_STRING, "a\\"), Tok(TOKEN_IDENTIFIER, "x")}));
  EXPECT_EQ(ReadAll("\"\""), (std::vector<Token>{Tok(TOKEN_STRING, "")}));
  EXPECT_EQ(ReadAll("\"line\nfeed\""), (std::vector<Token>{Tok(TOKEN_STRING, "line\nfeed")}));
  EXPECT_EQ(ReadAll("\"unclosed"), (std::vector<Token>{Tok(TOKEN_STRING, "unclosed")}));
}

TEST(TokenReader, StringsAreCutTwoBelowTheLimit) {
  for (int limit : {1023, 2048}) {
    std::string fits(static_cast<std::size_t>(limit - 2), 'a');
    EXPECT_EQ(ReadAll("\"" + fits + "\" x", limit),
              (std::vector<Token>{Tok(TOKEN_STRING, fits), Tok(TOKEN_IDENTIFIER, "x")}));
    std::string longer = fits + "bc";
    EXPECT_EQ(ReadAll("\"" + longer + "\" x", limit),
              (std::vector<Token>{Tok(TOKEN_STRING, fits), Tok(TOKEN_IDENTIFIER, "x")}));
  }
}

TEST(TokenReader, CutStringAtEndOfTextStops) {
  EXPECT_EQ(ReadAll("\"abcdef", 4), (std::vector<Token>{Tok(TOKEN_STRING, "ab")}));
}

TEST(TokenReader, Numbers) {
  EXPECT_EQ(ReadAll("-12.5"), (std::vector<Token>{Tok(TOKEN_NUMBER, "-12.5")}));
  EXPECT_EQ(ReadAll("- 12"), (std::vector<Token>{Tok(TOKEN_NUMBER, "-"), Tok(TOKEN_NUMBER, "12")}));
  EXPECT_EQ(ReadAll(".5"), (std::vector<Token>{Tok(TOKEN_OPERATOR, "."), Tok(TOKEN_NUMBER, "5")}));
  EXPECT_EQ(ReadAll("1e5"),
            (std::vector<Token>{Tok(TOKEN_NUMBER, "1"), Tok(TOKEN_IDENTIFIER, "e5")}));
  EXPECT_EQ(ReadAll("1.2.3."), (std::vector<Token>{Tok(TOKEN_NUMBER, "1.2.3.")}));
}

TEST(TokenReader, MinusInsideANumberIsAnErrorAndReadingGoesOn) {
  std::string text = "1-2";
  InPlaceTokenReader reader(text.c_str());
  char buffer[16] = "junk";
  EXPECT_EQ(reader.ReadToken(buffer, 15), TOKEN_ERROR);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(reader.ReadToken(buffer, 15), TOKEN_NUMBER);
  EXPECT_STREQ(buffer, "2");
}

TEST(TokenReader, NumberCutAtLimitLosesOneCharacter) {
  EXPECT_EQ(ReadAll("12345", 3),
            (std::vector<Token>{Tok(TOKEN_NUMBER, "123"), Tok(TOKEN_NUMBER, "5")}));
  // A '-' right after the limit-th character is still an error.
  std::string text = "123-";
  InPlaceTokenReader reader(text.c_str());
  char buffer[8];
  EXPECT_EQ(reader.ReadToken(buffer, 3), TOKEN_ERROR);
}

TEST(TokenReader, IdentifierCutAtLimitLosesOneCharacter) {
  for (int limit : {1023, 2048}) {
    std::string head(static_cast<std::size_t>(limit), 'a');
    EXPECT_EQ(ReadAll(head + "bcd", limit),
              (std::vector<Token>{Tok(TOKEN_IDENTIFIER, head), Tok(TOKEN_IDENTIFIER, "cd")}));
  }
}

TEST(TokenReader, LineComments) {
  EXPECT_EQ(ReadAll("// note\r\nx"),
            (std::vector<Token>{Tok(TOKEN_COMMENT, " note\r"), Tok(TOKEN_IDENTIFIER, "x")}));
  EXPECT_EQ(ReadAll("//end"), (std::vector<Token>{Tok(TOKEN_COMMENT, "end")}));
  // Cut at the limit: one character is lost, the rest of the line is read as tokens.
  EXPECT_EQ(ReadAll("//abcd e\nf", 2),
            (std::vector<Token>{Tok(TOKEN_COMMENT, "ab"), Tok(TOKEN_IDENTIFIER, "d"),
                                Tok(TOKEN_IDENTIFIER, "e"), Tok(TOKEN_IDENTIFIER, "f")}));
}

TEST(TokenReader, BlockComments) {
  EXPECT_EQ(ReadAll("/**/x"),
            (std::vector<Token>{Tok(TOKEN_COMMENT, ""), Tok(TOKEN_IDENTIFIER, "x")}));
  EXPECT_EQ(ReadAll("/*a\nb*/"), (std::vector<Token>{Tok(TOKEN_COMMENT, "a\nb")}));
  EXPECT_EQ(ReadAll("/*/ still */"), (std::vector<Token>{Tok(TOKEN_COMMENT, "/ still ")}));
  EXPECT_EQ(ReadAll("/*abcdef*/x", 3),
            (std::vector<Token>{Tok(TOKEN_COMMENT, "abc"), Tok(TOKEN_IDENTIFIER, "x")}));
  EXPECT_EQ(ReadAll("/*open"), (std::vector<Token>{Tok(TOKEN_COMMENT, "open")}));
}

TEST(TokenReader, EofRepeatsAndTheCursorStaysOnTheTerminator) {
  for (std::string text : {"", "abc", "\"abc", "\"abcdef", "/*x", "//x", "12", "+"}) {
    InPlaceTokenReader reader(text.c_str());
    char buffer[5];
    while (reader.ReadToken(buffer, 4) != TOKEN_EOF) {
    }
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(reader.ReadToken(buffer, 4), TOKEN_EOF) << text;
      EXPECT_STREQ(buffer, "");
      EXPECT_EQ(reader.Cursor(), text.c_str() + text.size()) << text;
    }
  }
}

// A derived reader replaces how strings are read; ReadToken calls it through
// the virtual table.
class UpperStringReader final : public TokenReader {
 public:
  using TokenReader::TokenReader;
  void ReadQuotedString(char* buffer, int limit) override {
    TokenReader::ReadQuotedString(buffer, limit);
    for (char* c = buffer; *c; ++c) *c = static_cast<char>(*c - ('a' <= *c && *c <= 'z') * 32);
  }
};

TEST(TokenReader, DerivedReaderChangesStringRule) {
  std::string text = "\"abc\"";
  UpperStringReader reader(text.c_str());
  char buffer[16];
  EXPECT_EQ(reader.ReadToken(buffer, 15), TOKEN_STRING);
  EXPECT_STREQ(buffer, "ABC");
}

}  // namespace
}  // namespace mapwright
