// Confines script paths to one folder: the host's util.RelativePathToFull.
//
// A path is resolved lexically under the root, then through the links of
// the part of it that exists; what ends outside the root is refused. One race
// remains, as with any resolver that hands back a path: a folder inside the
// root that is swapped for a link between the resolution and the module's
// open leads outside. Closing it needs the open itself to resolve beneath the
// root, which the module's path-based interface does not allow.
#ifndef MAPWRIGHT_HOST_ROOT_PATH_H
#define MAPWRIGHT_HOST_ROOT_PATH_H

#include <optional>
#include <string>
#include <string_view>

namespace mapwright::host {

// The absolute form of path under root (an existing folder, absolute and
// without links), with every link of its existing part resolved; nothing when
// the path would leave the root, by ".." or through a link, or ends in a link
// that resolves nowhere.
std::optional<std::string> ResolveUnderRoot(std::string_view root, std::string_view path);

// The root given on the command line as an absolute folder without links;
// relative to the working folder when it is not absolute. Nothing when the
// working folder has no name or the folder is not an existing folder.
std::optional<std::string> RootFolder(std::string_view folder);

}  // namespace mapwright::host

#endif
