// Writes a document back as map text: the text it was read from, changed only
// where the document was edited.
#ifndef MAPWRIGHT_MAP_WRITE_MAP_WRITER_H
#define MAPWRIGHT_MAP_WRITE_MAP_WRITER_H

#include <memory>

#include "map/model/map_document.h"
#include "map/model/text_buffer.h"

namespace mapwright {

// The source text with every edit in place: changed values rewritten,
// removed pairs, connections and entities cut out with their lines, new ones
// written in the source's own style (its first line ending, tabs by depth,
// "key" "value"). Byte for byte the source when nothing changed. A value is
// written as it is: a quote or line break in it is not escaped, the format
// has no way to. An unchanged document gives its source itself.
std::shared_ptr<const TextBuffer> WriteMap(const MapDocument& document);

}  // namespace mapwright

#endif
