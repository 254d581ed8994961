#ifndef MAPWRIGHT_MAP_RENAME_H
#define MAPWRIGHT_MAP_RENAME_H

#include <cstdint>

#include "map/map_document.h"

namespace mapwright {

// Appends the decimal suffix to the name of every named entity, and to every
// key value and connection target anywhere in the document that equals one of
// those names as they stood before the call. Each text gets the suffix at most
// once; empty names take no part; world pairs never change.
void RenameEntities(MapDocument& document, std::int32_t suffix);

}  // namespace mapwright

#endif
