// Confines script paths to one folder: the host's util.RelativePathToFull.
#ifndef MAPWRIGHT_HOST_ROOT_PATH_H
#define MAPWRIGHT_HOST_ROOT_PATH_H

#include <optional>
#include <string>
#include <string_view>

namespace mapwright::host {

// The absolute, lexically normalised form of path under root (itself absolute
// and normalised), or nothing when the path would leave the root.
std::optional<std::string> ResolveUnderRoot(std::string_view root, std::string_view path);

// An absolute, normalised form of a folder given on the command line.
std::string AbsoluteFolder(std::string_view folder);

}  // namespace mapwright::host

#endif
