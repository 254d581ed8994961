#include "map/read/map_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "map/model/line_geometry.h"
#include "tokenizer/char_class.h"
#include "tokenizer/token_reader.h"

namespace mapwright {
namespace {

// The parser keeps every text whole: it reads with no limit of its own.
constexpr int kTokenLimit = std::numeric_limits<int>::max();
// A text damaged all over (a binary file, say) is reported this often at
// most; a last report says that more follows.
constexpr int kMostSyntaxReports = 100;

enum class ParseState : std::uint8_t { kNone, kEntity, kConnections, kOther, kWorld };

// Thrown where a report returns and the script it ran changed the document:
// the parse leaves at once and touches the document no more.
struct ParseLeft {};

// A key, a value or a block name. A byte that starts no token reads as an
// empty identifier: that is no word.
bool IsWord(const TokenView& token) {
  return token.type == TOKEN_STRING || (token.type == TOKEN_IDENTIFIER && token.length > 0);
}
bool IsOperator(const TokenView& token, char c) {
  return token.type == TOKEN_OPERATOR && token.text[0] == c;
}
bool IsBrace(const TokenView& token) {
  return IsOperator(token, '{') || IsOperator(token, '}');
}

// Whether no line ends between from and to: the gap between two tokens,
// short in any map.
bool OnOneLine(const char* from, const char* to) {
  for (; from < to; ++from) {
    if (IsLineEndByte(*from)) return false;
  }
  return true;
}

std::string_view TextOf(const TokenView& token) {
  return {token.text, static_cast<std::size_t>(token.length)};
}

// Where a token begins in the text: a string at its opening quote.
const char* StartOf(const TokenView& token) {
  return token.type == TOKEN_STRING ? token.text - 1 : token.text;
}

// A token as a report names it, briefly.
std::string Describe(const TokenView& token) {
  constexpr std::size_t kShown = 40;
  std::string_view text = TextOf(token).substr(0, kShown);
  const char* more = token.length > static_cast<int>(kShown) ? "..." : "";
  switch (token.type) {
    case TOKEN_ERROR:
      return "'-' inside a number";
    case TOKEN_EOF:
      return "end of the text";
    case TOKEN_NUMBER:
      return "number " + std::string(text) + more;
    case TOKEN_OPERATOR:
      return "'" + std::string(text) + "'";
    case TOKEN_COMMENT:
      return "comment";
    case TOKEN_STRING:
      return "\"" + std::string(text) + more + "\"";
    default:
      break;
  }
  if (token.length > 0) return std::string(text) + more;
  auto byte = static_cast<unsigned char>(*token.text);
  if (byte > 32 && byte < 127) return "'" + std::string(1, static_cast<char>(byte)) + "'";
  char code[16];
  std::snprintf(code, sizeof code, "byte 0x%02x", byte);
  return code;
}

// Reads the pairs and blocks of a map. Damage (text that breaks the
// pair-and-block grammar) is reported with its line and passed over: the
// rest of a damaged line is dropped, braces always count, and the parse goes
// on to the end of the text.
class MapParser {
 public:
  // text[size] is the terminator. With a tree, the parser leaves the
  // document alone and gives the tree every block and pair instead.
  MapParser(MapDocument& document, const char* text, std::size_t size, ParseReporter* reporter,
            BlockTree* tree = nullptr)
      : document_(document),
        base_(text),
        end_(text + size),
        reader_(text, size),
        reporter_(reporter),
        tree_(tree),
        hasCarriageReturns_(std::memchr(text, '\r', size) != nullptr),
        counted_(text) {}

  // False when a report's script changed the document and the parse left.
  bool Run();

 private:
  struct Block {
    ParseState state;  // the state around the block
    std::string_view name;
    const char* start;
    MapEntity* entity;      // the entity the block holds, if an entity block
    int items;              // pairs and blocks directly inside
    MapEntity* onlyEntity;  // the entity of its one block inside, if an entity block
  };

  inline TokenView Next();
  void PlainLines();
  // Tokens read ahead are given back last first.
  void PushBack(const TokenView& token) { pending_[pendingCount_++] = token; }
  // Reports a string or block comment that the end of the text cut off; call
  // right after reading the token.
  void CheckClosed(const TokenView& token) {
    if (token.type == TOKEN_STRING) {
      const char* cursor = reader_.Cursor();
      if (cursor > token.text + token.length && cursor[-1] == '"') return;
    } else if (token.type != TOKEN_COMMENT) {
      return;
    }
    CheckClosedSlowly(token);
  }
  void CheckClosedSlowly(const TokenView& token);
  // A string or block comment left open runs to the end of the text: what
  // is added after the text closes it first.
  void NoteOpenAtEnd(const TokenView& token) {
    const char* cursor = reader_.Cursor();
    if (tree_ != nullptr) return;
    if (token.type == TOKEN_STRING) {
      if (cursor <= token.text + token.length || cursor[-1] != '"') {
        document_.layout.stringOpenAtEnd = true;
      }
    } else if (token.text[-1] == '*' &&
               !(cursor - 2 >= token.text && cursor[-2] == '*' && cursor[-1] == '/')) {
      document_.layout.commentOpenAtEnd = true;
    }
  }

  // Any report may leave the parse by throwing ParseLeft (see Tell).
  void Step();
  void AfterWord(const TokenView& first, const TokenView& second);
  void Pair(const TokenView& key, const TokenView& value);
  void RestOfPairLine(const TokenView& first);
  void OpenBlock(const TokenView& name, const TokenView& brace);
  void CloseBlock(const TokenView& brace);
  // Reports damage at where; the text up to stop is what was read before it.
  void Damage(const char* where, ParseReport report, const char* stop = nullptr);
  void Tell(const ParseReport& report, const char* stop);
  void EndTextAt(const char* stop);
  void DropRestOfLine(const char* where);
  void ReportOpenBlocks();

  void HandlePair(const TokenView& key, const TokenView& value);
  void GivePairs() {
    if (entityPairs_.empty()) return;
    if (currentEntity_ != nullptr) currentEntity_->AddReadKeys(entityPairs_);
    entityPairs_.clear();
  }
  void HandleEntityPair(std::string_view key, std::string_view value, const SourcePlace& place);
  void HandleConnectionPair(std::string_view key, std::string_view value, const SourcePlace& place);
  std::size_t Offset(const char* where) const { return static_cast<std::size_t>(where - base_); }
  std::uint32_t Offset32(const char* where) const {
    return static_cast<std::uint32_t>(where - base_);
  }
  const char* TokenEnd(const TokenView& token) const;
  std::size_t LineAfter(const char* where) const;
  int LineOf(const char* where);
  const char* LineEnd(const char* where) const;

  MapDocument& document_;
  const char* base_;
  const char* end_;
  InPlaceTokenReader reader_;
  ParseReporter* reporter_;
  BlockTree* tree_;
  bool hasCarriageReturns_;  // only then may a line end before a LF
  bool atEnd_ = false;
  ParseState state_ = ParseState::kNone;
  std::vector<Block> open_;
  MapEntity* currentEntity_ = nullptr;  // outlives its block, by design of the format's reader
  // Pairs read for the current entity and not yet given to it: an entity
  // then gets its list in one piece. Given before every report, as a report
  // may run script code that looks at the entity.
  std::vector<KeyValue> entityPairs_;
  bool topBlockHasEntity_ = false;  // the open top-level block holds an entity

  TokenView pending_[3]{};
  int pendingCount_ = 0;
  const char* afterPair_ = nullptr;  // the end of the last pair, while nothing else followed

  // Line numbers, counted only when a report needs one.
  const char* counted_;
  int line_ = 1;
  int syntaxReports_ = 0;
  int lastDamagedLine_ = 0;
};

inline TokenView MapParser::Next() {
  if (pendingCount_ > 0) return pending_[--pendingCount_];
  const char* at = hasCarriageReturns_ ? PastWhitespace(reader_.Cursor()) : nullptr;
  if (at != nullptr && at[0] == '/' && at[1] == '/') {
    // A line comment ends where its line does, also at a CR alone (the
    // token reader ends it at LF only).
    const char* end = at + 2;
    while (end < end_ && !IsLineEndByte(*end)) ++end;
    reader_.MoveTo(end);
    return {at + 2, static_cast<int>(end - at - 2), TOKEN_COMMENT};
  }
  TokenView token = reader_.ReadTokenInPlace(kTokenLimit);
  if (token.type == TOKEN_STRING || token.type == TOKEN_COMMENT) NoteOpenAtEnd(token);
  if (token.type == TOKEN_IDENTIFIER && token.length > 0 &&
      reader_.Cursor() != token.text + token.length) {
    // An identifier swallows the byte after it; a brace there still counts.
    const char* swallowed = token.text + token.length;
    if (*swallowed == '{' || *swallowed == '}') PushBack({swallowed, 1, TOKEN_OPERATOR});
  }
  return token;
}

// Reached for a string left open and for every comment.
void MapParser::CheckClosedSlowly(const TokenView& token) {
  const char* cursor = reader_.Cursor();
  if (token.type == TOKEN_STRING) {
    Damage(StartOf(token), ParseReport(ParseProblem::kStringNotClosed));
  } else if (token.text[-1] == '*' &&
             !(cursor - 2 >= token.text && cursor[-2] == '*' && cursor[-1] == '/')) {
    Damage(token.text - 2, ParseReport(ParseProblem::kCommentNotClosed));
  }
}

bool MapParser::Run() {
  try {
    while (!atEnd_) Step();
    GivePairs();
    return true;
  } catch (const ParseLeft&) {
    return false;  // a report's script changed the document; what it did stands
  }
}

// Most lines of a map are clean: one quoted pair, a block name or a brace,
// alone on its line, where no damage can be. They are taken here without the
// token reader, up to the first other line, which is left to Step.
void MapParser::PlainLines() {
  const char* line = PastWhitespace(reader_.Cursor());
  if (afterPair_ != nullptr) {
    if (OnOneLine(afterPair_, line)) return;  // the rest of a pair's line
    afterPair_ = nullptr;
  }
  for (;;) {
    const char* next;
    if (*line == '"') {
      const char* keyEnd = FindQuote(line + 1, end_);
      if (keyEnd == nullptr || keyEnd[1] != ' ' || keyEnd[2] != '"') break;
      const char* valueEnd = FindQuote(keyEnd + 3, end_);
      if (valueEnd == nullptr || (next = PastLineEnd(valueEnd + 1)) == nullptr) break;
      if (tree_ != nullptr || (state_ != ParseState::kOther && state_ != ParseState::kNone)) {
        HandlePair({line + 1, static_cast<int>(keyEnd - line - 1), TOKEN_STRING},
                   {keyEnd + 3, static_cast<int>(valueEnd - keyEnd - 3), TOKEN_STRING});
      } else if (!open_.empty()) {
        ++open_.back().items;  // as HandlePair counts it
      }
    } else if (*line == '}') {
      if ((next = PastLineEnd(line + 1)) == nullptr) break;
      CloseBlock({line, 1, TOKEN_OPERATOR});
    } else if (StartsIdentifier(*line)) {
      const char* nameEnd = PastWord(line);
      if (*nameEnd != '\r' && *nameEnd != '\n') break;
      const char* brace = PastWhitespace(nameEnd);
      if (*brace != '{' || (next = PastLineEnd(brace + 1)) == nullptr) break;
      OpenBlock({line, static_cast<int>(nameEnd - line), TOKEN_IDENTIFIER},
                {brace, 1, TOKEN_OPERATOR});
    } else {
      break;
    }
    line = PastWhitespace(next);
  }
  reader_.MoveTo(line);
}

void MapParser::Step() {
  if (pendingCount_ == 0) PlainLines();
  TokenView first = Next();
  // The common step first: a quoted pair, on a line of its own.
  if (first.type == TOKEN_STRING &&
      (afterPair_ == nullptr || !OnOneLine(afterPair_, first.text - 1))) {
    afterPair_ = nullptr;
    CheckClosed(first);
    TokenView second = Next();
    if (second.type == TOKEN_STRING) {
      CheckClosed(second);
      return Pair(first, second);
    }
    return AfterWord(first, second);
  }
  if (first.type == TOKEN_EOF) {
    atEnd_ = true;
    return ReportOpenBlocks();
  }
  if (first.type == TOKEN_COMMENT) return CheckClosed(first);
  if (afterPair_ != nullptr && !IsBrace(first) && OnOneLine(afterPair_, StartOf(first))) {
    return RestOfPairLine(first);
  }
  afterPair_ = nullptr;
  if (IsOperator(first, '}')) return CloseBlock(first);
  if (IsOperator(first, '{')) {
    Damage(first.text, ParseReport(ParseProblem::kBraceWithoutName));
    return OpenBlock({first.text, 0, TOKEN_IDENTIFIER}, first);
  }
  if (!IsWord(first)) {
    Damage(StartOf(first), ParseReport(ParseProblem::kUnexpected, Describe(first)));
    return DropRestOfLine(StartOf(first));
  }
  CheckClosed(first);
  AfterWord(first, Next());
}

// The token after a key or block name.
void MapParser::AfterWord(const TokenView& first, const TokenView& second) {
  CheckClosed(second);
  if (second.type == TOKEN_STRING) return Pair(first, second);
  if (IsOperator(second, '{')) return OpenBlock(first, second);
  // Rare from here on: unquoted values, and damage.
  const std::string key = "\"" + std::string(TextOf(first)) + "\"";
  if (second.type == TOKEN_IDENTIFIER && second.length > 0) {
    // An unquoted value followed by a block: a key without a value, then a
    // block name.
    TokenView third = Next();
    if (IsOperator(third, '{')) {
      Damage(StartOf(first), ParseReport(ParseProblem::kNoValueBeforeBlock, key));
      return OpenBlock(second, third);
    }
    PushBack(third);
  }
  if (IsWord(second)) return Pair(first, second);
  if (second.type == TOKEN_EOF) {
    Damage(StartOf(first), ParseReport(ParseProblem::kNoValueAtEnd, key));
    return PushBack(second);
  }
  if (IsOperator(second, '}')) {
    Damage(StartOf(first), ParseReport(ParseProblem::kNoValueBeforeBrace, key));
    return CloseBlock(second);
  }
  if (second.type == TOKEN_COMMENT) {
    return Damage(StartOf(first), ParseReport(ParseProblem::kNoValueBeforeComment, key));
  }
  Damage(StartOf(second), ParseReport(ParseProblem::kKeyFollowedBy, key, Describe(second)),
         StartOf(first));
  DropRestOfLine(StartOf(second));
}

inline void MapParser::Pair(const TokenView& key, const TokenView& value) {
  HandlePair(key, value);
  afterPair_ = value.text + value.length;
}

// More text on the line of a pair: whole pairs of quoted texts are taken as
// they are; any other rest of the line (an unquoted word there is a value's
// own quotes gone astray) is damage, reported once and dropped.
void MapParser::RestOfPairLine(const TokenView& first) {
  const char* lineEnd = LineEnd(afterPair_);
  afterPair_ = nullptr;
  std::vector<TokenView> rest{first};
  bool quotedOnly = first.type == TOKEN_STRING;
  for (;;) {
    TokenView token = Next();
    if (token.type == TOKEN_EOF || token.type == TOKEN_COMMENT || IsBrace(token) ||
        StartOf(token) >= lineEnd) {
      PushBack(token);
      break;
    }
    quotedOnly = quotedOnly && token.type == TOKEN_STRING;
    rest.push_back(token);
  }
  if (quotedOnly && rest.size() % 2 == 0) {
    for (std::size_t i = 0; i < rest.size(); i += 2) Pair(rest[i], rest[i + 1]);
    return;
  }
  Damage(StartOf(first), ParseReport(ParseProblem::kUnexpectedAfterPair, Describe(first)));
}

void MapParser::DropRestOfLine(const char* where) {
  const char* lineEnd = LineEnd(where);
  for (;;) {
    TokenView token = Next();
    if (token.type == TOKEN_EOF || IsBrace(token) || StartOf(token) >= lineEnd) {
      PushBack(token);
      return;
    }
  }
}

void MapParser::OpenBlock(const TokenView& name, const TokenView& brace) {
  std::string_view text = TextOf(name);
  const int depth = static_cast<int>(open_.size());
  if (depth == 0) topBlockHasEntity_ = false;
  const ParseState outer = state_;
  if (depth > 0) ++open_.back().items;
  open_.push_back({state_, text, StartOf(name), nullptr, 0, nullptr});
  const std::size_t inside = LineAfter(brace.text + 1);
  if (tree_ != nullptr) {
    tree_->Open(text, Offset32(StartOf(name)), static_cast<std::uint32_t>(inside));
    state_ = text == "entity"        ? ParseState::kEntity
             : text == "world"       ? ParseState::kWorld
             : text == "connections" ? ParseState::kConnections
                                     : ParseState::kOther;
    return;
  }
  if (text == "entity") {
    GivePairs();
    currentEntity_ = &document_.AddEntity();
    open_.back().entity = currentEntity_;
    EntityLayout& layout = currentEntity_->layout;
    layout.read = true;
    layout.blockAt = Offset(StartOf(name));
    layout.blockEnd = Offset(end_);  // until its brace closes it
    layout.removalAt = layout.blockAt;
    layout.removalEnd = layout.blockEnd;
    layout.pairsEnd = inside;
    layout.depth = depth;
    topBlockHasEntity_ = true;
    state_ = ParseState::kEntity;
  } else if (text == "world") {
    DocumentLayout& layout = document_.layout;
    layout.hasWorld = true;
    layout.worldPairsEnd = inside;
    layout.worldDepth = depth;
    state_ = ParseState::kWorld;
  } else if (text == "connections") {
    if (outer == ParseState::kEntity && currentEntity_ != nullptr) {
      currentEntity_->layout.hasConnections = true;
      currentEntity_->layout.connectionsEnd = inside;
    }
    state_ = ParseState::kConnections;
  } else {
    state_ = ParseState::kOther;
  }
}

void MapParser::CloseBlock(const TokenView& brace) {
  if (open_.empty()) return Damage(brace.text, ParseReport(ParseProblem::kBraceWithoutBlock));
  const Block closed = open_.back();
  if (tree_ != nullptr) {
    state_ = closed.state;
    open_.pop_back();
    const auto closeLine = LineStartBefore({base_, Offset(end_)}, Offset(brace.text));
    tree_->Close(static_cast<std::uint32_t>(closeLine), Offset32(brace.text + 1));
    return;
  }
  if (closed.entity != nullptr) {
    GivePairs();
    EntityLayout& layout = closed.entity->layout;
    layout.blockEnd = layout.removalEnd = Offset(brace.text + 1);
  }
  if (closed.onlyEntity != nullptr && closed.items == 1 && closed.name == "hidden") {
    // A hidden block that holds only an entity goes with it.
    EntityLayout& layout = closed.onlyEntity->layout;
    layout.removalAt = Offset(closed.start);
    layout.removalEnd = Offset(brace.text + 1);
  }
  const bool world = closed.name == "world";
  state_ = closed.state;
  open_.pop_back();
  if (!open_.empty()) open_.back().onlyEntity = closed.entity;
  // New entities go after the top-level block of the last entity, or after
  // the world block when no entity came before it.
  if (open_.empty() && (topBlockHasEntity_ || (world && document_.EntityCount() == 0))) {
    document_.layout.entitiesEnd = LineAfter(brace.text + 1);
  }
}

void MapParser::ReportOpenBlocks() {
  if (open_.empty()) return;
  if (tree_ == nullptr) {
    // What is added at the top goes after the text, the open blocks closed.
    document_.layout.openAtEnd = static_cast<std::uint32_t>(open_.size());
    document_.layout.entitiesEnd = Offset(end_);
  }
  const Block& innermost = open_.back();
  lastDamagedLine_ = 0;  // always told, however close to other damage
  Damage(innermost.start,
         ParseReport(ParseProblem::kBlockNotClosed, std::string(innermost.name), {}, open_.size()),
         end_);
}

// Reports one run of damage: damage on the line of the last report, or on
// the line after it, extends that run and is not reported again.
void MapParser::Damage(const char* where, ParseReport report, const char* stop) {
  if (reporter_ == nullptr) return;
  int line = LineOf(where);
  bool sameRun = lastDamagedLine_ != 0 && line - lastDamagedLine_ <= 1 && line >= lastDamagedLine_;
  lastDamagedLine_ = line;
  if (sameRun || syntaxReports_ > kMostSyntaxReports) return;
  if (++syntaxReports_ > kMostSyntaxReports) report = ParseReport(ParseProblem::kMoreDamage);
  report.line = line;
  Tell(report, stop != nullptr ? stop : where);
}

// The one way out of a parse: when the script a report ran parsed the
// document anew or let it go (both clear it), or edited it, the parse leaves
// and never touches the document again. An edited document keeps what was
// read before stop, its text closed there.
void MapParser::Tell(const ParseReport& report, const char* stop) {
  GivePairs();
  const std::uint64_t generation = document_.Generation();
  const std::uint64_t edits = document_.Edits();
  reporter_->Report(report);
  if (document_.Generation() != generation) throw ParseLeft{};
  if (document_.Edits() != edits) {
    EndTextAt(stop);
    throw ParseLeft{};
  }
}

// The document's text becomes the text read before stop, with a closing
// brace for every block still open, so that its text reads back as the
// document holds it.
void MapParser::EndTextAt(const char* stop) {
  const std::string& eol = document_.layout.lineEnding;
  std::string closing;
  if (stop > base_ && !IsLineEndByte(stop[-1])) closing += eol;
  const std::size_t at = Offset(stop);
  for (std::size_t i = open_.size(); i-- > 0;) {
    closing.append(i, '\t').append(1, '}').append(eol);
    if (MapEntity* entity = open_[i].entity) {
      entity->layout.blockEnd = entity->layout.removalEnd = at + closing.size();
    }
  }
  auto text = std::make_shared<TextBuffer>(at + closing.size());
  std::memcpy(text->data(), base_, at);
  std::memcpy(text->data() + at, closing.data(), closing.size());
  DocumentLayout& layout = document_.layout;
  if (!open_.empty() &&
      (topBlockHasEntity_ || (open_.front().name == "world" && document_.EntityCount() == 0))) {
    layout.entitiesEnd = text->size();
  }
  layout.entitiesEnd = std::min(layout.entitiesEnd, text->size());
  document_.SetSource(std::move(text));
}

int MapParser::LineOf(const char* where) {
  if (where >= counted_) {
    line_ += static_cast<int>(LineEndsIn(counted_, where));
  } else {
    line_ -= static_cast<int>(LineEndsIn(where, counted_));
  }
  counted_ = where;
  return line_;
}

const char* MapParser::LineEnd(const char* where) const {
  while (where < end_ && !IsLineEndByte(*where)) ++where;
  return where;
}

// Where a token ends in the text: a string after its closing quote, also when
// the reader cut its text short; an identifier after the byte it swallowed.
const char* MapParser::TokenEnd(const TokenView& token) const {
  const char* after = token.text + token.length;
  if (token.type == TOKEN_IDENTIFIER) {
    // The byte an identifier swallowed goes with it, unless it separates
    // lines or tokens, or is a brace that still counts.
    bool swallowed = after < end_ && *after != '{' && *after != '}' && *after != ' ' &&
                     *after != '\t' && *after != '\r' && *after != '\n';
    return swallowed ? after + 1 : after;
  }
  if (token.type != TOKEN_STRING) return after;
  if (after < end_ && *after == '"') return after + 1;
  const void* close = std::memchr(after, '"', static_cast<std::size_t>(end_ - after));
  return close != nullptr ? static_cast<const char*>(close) + 1 : end_;
}

std::size_t MapParser::LineAfter(const char* where) const {
  return mapwright::LineAfter({base_, Offset(end_)}, Offset(where));
}

void MapParser::HandlePair(const TokenView& key, const TokenView& value) {
  if (!open_.empty()) ++open_.back().items;
  if (tree_ == nullptr && (state_ == ParseState::kOther || state_ == ParseState::kNone)) return;
  const char* valueEnd = TokenEnd(value);
  SourcePlace place{Offset32(StartOf(key)), Offset32(StartOf(value)), Offset32(valueEnd), true,
                    false};
  if (tree_ != nullptr) {
    return tree_->Pair(TextOf(key), TextOf(value), place,
                       static_cast<std::uint32_t>(LineAfter(valueEnd)));
  }
  switch (state_) {
    case ParseState::kEntity:
      HandleEntityPair(TextOf(key), TextOf(value), place);
      if (currentEntity_ != nullptr) currentEntity_->layout.pairsEnd = LineAfter(valueEnd);
      break;
    case ParseState::kConnections:
      HandleConnectionPair(TextOf(key), TextOf(value), place);
      if (currentEntity_ != nullptr) currentEntity_->layout.connectionsEnd = LineAfter(valueEnd);
      break;
    case ParseState::kWorld:
      document_.AddWorldKey(TextOf(key), TextOf(value), place);
      document_.layout.worldPairsEnd = LineAfter(valueEnd);
      break;
    default:
      break;
  }
}

void MapParser::HandleEntityPair(std::string_view key, std::string_view value,
                                 const SourcePlace& place) {
  if (currentEntity_ == nullptr) return;
  TextPool& texts = document_.Texts();
  entityPairs_.push_back({texts.Intern(key), texts.Store(value), place});
}

void MapParser::HandleConnectionPair(std::string_view key, std::string_view value,
                                     const SourcePlace& place) {
  if (currentEntity_ == nullptr) return;
  if (std::optional<ConnectionParts> parts = SplitConnectionValue(value)) {
    static_cast<void>(currentEntity_->AddConnection(key, *parts, place));  // read ones always fit
    return;
  }
  if (reporter_ == nullptr) return;
  ParseReport report(ParseProblem::kOutputWithoutSeparator, std::string(key), std::string(value));
  report.line = LineOf(base_ + place.keyAt);
  Tell(report, base_ + place.keyAt);
}

}  // namespace

// The document keeps its own copy of the text, which the parse reads; the
// parse holds it too, as a report may parse the document anew.
void ParseMap(MapDocument& document, std::string_view text, ParseReporter* reporter) {
  std::shared_ptr<TextBuffer> copy;
  if (text.size() <= std::numeric_limits<std::uint32_t>::max()) {
    copy = std::make_shared<TextBuffer>(text.size());
    std::memcpy(copy->data(), text.data(), text.size());
  }
  ParseMapText(document, std::move(copy), reporter);
}

// A null text stands for one too large to read.
void ParseMapText(MapDocument& document, std::shared_ptr<const TextBuffer> source,
                  ParseReporter* reporter) {
  if (source == nullptr || source->size() > std::numeric_limits<std::uint32_t>::max()) {
    document.Clear();
    if (reporter != nullptr) {
      reporter->Report(ParseReport(ParseProblem::kTooLarge));
    }
    return;
  }
  const std::size_t size = source->size();
  document.Clear();
  document.SetSource(source);
  // New lines end as the first line does.
  const char* text = source->c_str();
  const char* lineEnd = static_cast<const char*>(std::memchr(text, '\n', size));
  if (lineEnd != nullptr && lineEnd > text && lineEnd[-1] == '\r') {
    document.layout.lineEnding = "\r\n";
  } else if (const void* cr = std::memchr(text, '\r', lineEnd != nullptr ? lineEnd - text : size)) {
    if (static_cast<const char*>(cr) + 1 != lineEnd) document.layout.lineEnding = "\r";
  }
  document.layout.entitiesEnd = size;
  document.BeginParse();
  struct Ended {
    MapDocument& document;
    ~Ended() { document.EndParse(); }
  } ended{document};
  // The document is as its text says, but when a report's script changed it.
  if (MapParser(document, source->c_str(), size, reporter).Run()) document.MarkRead();
}

void ReadBlocks(MapDocument& document) {
  BlockTree& tree = document.StartBlocks();
  // The source is the text the document holds; the tree's texts point into it.
  if (const std::shared_ptr<const TextBuffer>& source = document.SourceBuffer()) {
    static_cast<void>(MapParser(document, source->c_str(), source->size(), nullptr, &tree).Run());
  }
  tree.Finish();
}

}  // namespace mapwright
