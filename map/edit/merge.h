// Merging one document into another, as prefabs are stamped into a map.
#ifndef MAPWRIGHT_MAP_EDIT_MERGE_H
#define MAPWRIGHT_MAP_EDIT_MERGE_H

#include "map/edit/edit_result.h"
#include "map/model/map_document.h"

namespace mapwright {

// Copies into document every top-level entity block of other (with its
// solids, editor block, outputs, and a hidden block around it) after
// document's last entity, every solid, hidden and group block of other's
// world after its world's last block, and other's visgroups into its
// visgroups block (made when there is none). Every copied id is fresh: side
// ids above document's highest side id, every other id above its highest
// other id, visgroup ids above its highest visgroup id; the visgroupid,
// groupid, sides and sides2 values of the copies follow. other is read
// first, whole, so a document merged into itself is copied once. Both block
// trees must have been read. Refused, changing nothing, when the copies
// would need ids beyond the format's (32-bit signed) range.
EditResult MergeDocument(MapDocument& document, MapDocument& other);

}  // namespace mapwright

#endif
