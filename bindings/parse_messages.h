// A parse report as scripts read it, in VMFParseFailure's message.
#ifndef MAPWRIGHT_BINDINGS_PARSE_MESSAGES_H
#define MAPWRIGHT_BINDINGS_PARSE_MESSAGES_H

#include <string>

#include "map/read/parse_report.h"

namespace mapwright {

std::string MessageOf(const ParseReport& report);

}  // namespace mapwright

#endif
