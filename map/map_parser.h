// Reads VMF map text into a document: the pairs of every "entity" block, the
// connections inside them, and the pairs of the "world" block. Every other
// block is walked over for its nesting only.
#ifndef MAPWRIGHT_MAP_MAP_PARSER_H
#define MAPWRIGHT_MAP_MAP_PARSER_H

#include <string>

#include "map/map_document.h"

namespace mapwright {

// Receives the parse problems worth telling the script about.
class ParseReporter {
 public:
  virtual void Report(const char* kind, const std::string& message) = 0;

 protected:
  ~ParseReporter() = default;
};

// Clears the document, then fills it from text, which it keeps a copy of. A reporter may run script
// code that parses into the same document again; the parse then stops at once
// and the document keeps what that inner parse read.
void ParseMap(MapDocument& document, const char* text, ParseReporter* reporter);

}  // namespace mapwright

#endif
