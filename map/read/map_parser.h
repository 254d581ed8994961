// Reads VMF map text into a document: the pairs of every "entity" block, the
// connections inside them, and the pairs of the "world" block. Every other
// block is walked over for its nesting only, until the document's blocks are
// asked for: ReadBlocks then reads them all, with the same rules.
#ifndef MAPWRIGHT_MAP_READ_MAP_PARSER_H
#define MAPWRIGHT_MAP_READ_MAP_PARSER_H

#include <memory>
#include <string>
#include <string_view>

#include "map/model/map_document.h"
#include "map/model/text_buffer.h"
#include "map/read/parse_report.h"

namespace mapwright {

// Receives the parse problems worth telling the script about.
class ParseReporter {
 public:
  virtual void Report(const ParseReport& report) = 0;

 protected:
  ~ParseReporter() = default;
};

// Clears the document, then fills it from text, which holds no zero byte and
// which it keeps a copy of.
// A reporter may run script code that changes the document: when it parses
// the document anew or lets it go, the parse leaves at once and the document
// keeps what that code made of it; when it edits the document, the parse
// leaves too, and the document keeps what was read before the report, with
// the edit, and a text closed there that reads back as it.
void ParseMap(MapDocument& document, std::string_view text, ParseReporter* reporter);
// The same for a text the document takes as its own, without a copy: a
// terminated text that holds no zero byte.
void ParseMapText(MapDocument& document, std::shared_ptr<const TextBuffer> text,
                  ParseReporter* reporter);

// Builds the document's block tree from the text it was read from, with the
// rules ParseMap reads it by, and links it to the document's entities and
// world as they stand now. Not while a parse of the document runs.
void ReadBlocks(MapDocument& document);

}  // namespace mapwright

#endif
