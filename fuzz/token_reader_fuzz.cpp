// The token reader on any text, at both real limits and a small one, against
// the plain reference reader: same kinds, texts and cursor after every call;
// each call that is not the end moves the cursor, never past the terminator;
// a token's text fits its limit; once TOKEN_EOF came it stays.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "reference_token_reader.h"
#include "tokenizer/token_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void ReadAll(const std::string& text, int limit) {
  mapwright::InPlaceTokenReader reader(text.c_str());
  mapwright::testing::ReferenceTokenReader reference(text.c_str());
  const char* end = text.c_str() + std::strlen(text.c_str());
  std::vector<char> buffer(static_cast<std::size_t>(limit) + 1);
  std::vector<char> expected(static_cast<std::size_t>(limit) + 1);
  for (;;) {
    const char* before = reader.Cursor();
    mapwright::TokenType type = reader.ReadToken(buffer.data(), limit);
    Check(reference.ReadToken(expected.data(), limit) == type);
    Check(std::strcmp(buffer.data(), expected.data()) == 0);
    Check(reader.Cursor() == reference.Cursor());
    Check(reader.Cursor() <= end);
    std::size_t length = std::strlen(buffer.data());
    Check(length <= static_cast<std::size_t>(type == mapwright::TOKEN_STRING ? limit - 2 : limit));
    if (type == mapwright::TOKEN_EOF) {
      Check(reader.Cursor() == end);
      for (int again = 0; again < 2; ++again) {
        Check(reader.ReadToken(buffer.data(), limit) == mapwright::TOKEN_EOF);
        Check(buffer[0] == '\0' && reader.Cursor() == end);
      }
      return;
    }
    Check(reader.Cursor() > before);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  ReadAll(text, 1023);
  ReadAll(text, 2048);
  ReadAll(text, 2 + (size > 0 ? data[0] % 6 : 0));
  return 0;
}
