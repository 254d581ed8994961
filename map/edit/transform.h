// Moving and turning a whole document: brushes, displacements, editor points
// and entities, with textures kept where they were on their brushes.
#ifndef MAPWRIGHT_MAP_EDIT_TRANSFORM_H
#define MAPWRIGHT_MAP_EDIT_TRANSFORM_H

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "map/edit/edit_result.h"
#include "map/model/map_document.h"

namespace mapwright {

using Vector3 = std::array<double, 3>;

// Three numbers separated by blanks, as the map writes vectors ("x y z",
// "pitch yaw roll"); nothing for any other text. Turns by multiples of 90
// degrees, and moves, are exact: four quarter turns give back every number.
std::optional<Vector3> ReadVector(std::string_view text);

// A number as the map should hold it: the shortest text that reads back as
// it, never "-0"; the result of an inexact computation (rounding noise) that
// is within 1e-9 of an integer as that integer.
std::string WriteNumber(double value, bool inexact = true);

// Turns the document about the origin by angles ("pitch yaw roll" in
// degrees, as the engine turns an entity by its angles), then moves it by
// offset. Changes every side's plane points and texture axes (texture lock:
// each shift follows so the texture stays on the brush), displacement start
// positions and vectors, "vertices_plus" points, and every entity's
// "origin", "angles" (where it has them) and overlay basis; nothing else.
// The document's block tree must have been read. Angles count modulo one
// turn. Refused, changing nothing, for an offset or angles that are not
// finite, or when any result would not be a number within +-1e15.
EditResult TransformDocument(MapDocument& document, const Vector3& offset, const Vector3& angles);

}  // namespace mapwright

#endif
