#include "map/map_parser.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "tokenizer/token_reader.h"

namespace mapwright {
namespace {

constexpr int kTokenLimit = 1023;

enum class ParseState : std::uint8_t { kNone, kEntity, kConnections, kOther, kWorld };

bool IsWord(TokenType type) {
  return type == TOKEN_STRING || type == TOKEN_IDENTIFIER;
}
bool Ends(TokenType type) {
  return type == TOKEN_EOF || type == TOKEN_ERROR;
}

class MapParser {
 public:
  MapParser(MapDocument& document, const char* text, ParseReporter* reporter)
      : document_(document), reader_(text), reporter_(reporter) {}

  void Run();

 private:
  void OpenBlock(std::string_view name);
  void CloseBlock();
  void HandlePair(std::string_view key, std::string_view value);
  void HandleEntityPair(std::string_view key, std::string_view value);
  void HandleConnectionPair(std::string_view key, std::string_view value);
  bool DocumentReplaced() const { return document_.Generation() != generation_; }

  MapDocument& document_;
  InPlaceTokenReader reader_;
  ParseReporter* reporter_;
  std::uint64_t generation_ = 0;
  ParseState state_ = ParseState::kNone;
  std::vector<ParseState> saved_;
  MapEntity* currentEntity_ = nullptr;  // outlives its block, by design of the format's reader
};

std::string_view TextOf(const TokenView& token) {
  return {token.text, static_cast<std::size_t>(token.length)};
}

void MapParser::Run() {
  document_.Clear();
  generation_ = document_.Generation();
  for (;;) {
    TokenView first = reader_.ReadTokenInPlace(kTokenLimit);
    if (Ends(first.type)) return;
    if (IsWord(first.type)) {
      TokenView second = reader_.ReadTokenInPlace(kTokenLimit);
      if (Ends(second.type)) return;
      if (IsWord(second.type)) {
        HandlePair(TextOf(first), TextOf(second));
        if (DocumentReplaced()) return;
      } else if (second.type == TOKEN_OPERATOR && second.text[0] == '{') {
        OpenBlock(TextOf(first));
      }
    } else if (first.type == TOKEN_OPERATOR && first.text[0] == '}') {
      CloseBlock();
    }
  }
}

void MapParser::OpenBlock(std::string_view name) {
  saved_.push_back(state_);
  if (name == "entity") {
    currentEntity_ = &document_.AddEntity();
    state_ = ParseState::kEntity;
  } else if (name == "world") {
    state_ = ParseState::kWorld;
  } else if (name == "connections") {
    state_ = ParseState::kConnections;
  } else {
    state_ = ParseState::kOther;
  }
}

void MapParser::CloseBlock() {
  if (saved_.empty()) return;  // a stray "}" changes nothing
  if (state_ == ParseState::kEntity && currentEntity_ != nullptr) {
    currentEntity_->ReleaseSpareCapacity();
  }
  state_ = saved_.back();
  saved_.pop_back();
}

void MapParser::HandlePair(std::string_view key, std::string_view value) {
  switch (state_) {
    case ParseState::kEntity:
      HandleEntityPair(key, value);
      break;
    case ParseState::kConnections:
      HandleConnectionPair(key, value);
      break;
    case ParseState::kWorld:
      document_.AddWorldKey(key, value);
      break;
    default:
      break;
  }
}

void MapParser::HandleEntityPair(std::string_view key, std::string_view value) {
  if (currentEntity_ == nullptr) return;
  MapEntity& entity = *currentEntity_;
  entity.AddKey(key, value);
  const char* stored = entity.Key(entity.KeyCount() - 1).value;
  if (key == "targetname") {
    entity.targetname = stored;
  } else if (key == "classname") {
    entity.classname = stored;
  } else if (key == "id") {
    entity.id = ParseEntityId(stored);
  }
}

void MapParser::HandleConnectionPair(std::string_view key, std::string_view value) {
  if (currentEntity_ == nullptr) return;
  if (std::optional<ConnectionParts> parts = SplitConnectionValue(value)) {
    currentEntity_->AddConnection(key, *parts);
    return;
  }
  if (reporter_ == nullptr) return;
  std::string message = "Keyvalue found inside of connections block. { Key = ";
  message.append(key).append(", Value = ").append(value).append(" }");
  reporter_->Report("Connection", message);
}

}  // namespace

std::int32_t ParseEntityId(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  constexpr std::uint64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (overflow) continue;
    if (magnitude > kLimit / 10 + 1) {
      overflow = true;
      continue;
    }
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(*text - '0');
    if (magnitude > kLimit + (negative ? 1 : 0)) overflow = true;
  }
  // strtol saturates at the long range; atoi then keeps the low 32 bits.
  std::uint64_t bits;
  if (overflow) {
    bits = negative ? kLimit + 1 : kLimit;
  } else {
    bits = negative ? (~magnitude + 1) : magnitude;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

void ParseMap(MapDocument& document, const char* text, ParseReporter* reporter) {
  MapParser(document, text, reporter).Run();
}

}  // namespace mapwright
