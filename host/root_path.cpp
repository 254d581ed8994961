#include "host/root_path.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace mapwright::host {
namespace {

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> segments;
  while (!path.empty()) {
    std::size_t slash = path.find('/');
    std::string_view segment = path.substr(0, slash);
    if (!segment.empty()) segments.push_back(segment);
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return segments;
}

std::string Join(const std::vector<std::string_view>& segments) {
  if (segments.empty()) return "/";
  std::string joined;
  for (std::string_view segment : segments) joined.append("/").append(segment);
  return joined;
}

// Applies "." and ".."; false when ".." climbs above the first kept segment.
bool Normalise(std::vector<std::string_view>& out, std::string_view path, std::size_t floor) {
  for (std::string_view segment : Segments(path)) {
    if (segment == ".") continue;
    if (segment == "..") {
      if (out.size() <= floor) return false;
      out.pop_back();
      continue;
    }
    out.push_back(segment);
  }
  return true;
}

bool Inside(std::string_view root, std::string_view path) {
  if (root == "/") return !path.empty() && path.front() == '/';
  return path.substr(0, root.size()) == root &&
         (path.size() == root.size() || path[root.size()] == '/');
}

std::optional<std::string> RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::nullopt;
  std::string result(real);
  std::free(real);
  return result;
}

// The lexical path with the links of its longest existing part resolved. The
// first part that does not resolve must not exist at all: a link that points
// nowhere would be followed by an open that creates.
std::optional<std::string> ResolveLinks(const std::vector<std::string_view>& segments) {
  for (std::size_t kept = segments.size() + 1; kept-- > 0;) {
    std::vector<std::string_view> head(segments.begin(), segments.begin() + kept);
    std::optional<std::string> real = RealPath(Join(head));
    if (!real) continue;
    if (kept == segments.size()) return real;
    std::string next =
        Join(std::vector<std::string_view>(segments.begin(), segments.begin() + kept + 1));
    struct stat info;
    if (lstat(next.c_str(), &info) == 0 || errno != ENOENT) return std::nullopt;
    std::string resolved = *real;
    for (std::size_t i = kept; i < segments.size(); ++i) {
      if (resolved.back() != '/') resolved += '/';
      resolved.append(segments[i]);
    }
    return resolved;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ResolveUnderRoot(std::string_view root, std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  std::vector<std::string_view> rootSegments = Segments(root);
  std::vector<std::string_view> resolved;
  if (!path.empty() && path.front() == '/') {
    if (!Normalise(resolved, path, 0)) return std::nullopt;
    if (resolved.size() < rootSegments.size()) return std::nullopt;
    for (std::size_t i = 0; i < rootSegments.size(); ++i) {
      if (resolved[i] != rootSegments[i]) return std::nullopt;
    }
  } else {
    resolved = rootSegments;
    if (!Normalise(resolved, path, rootSegments.size())) return std::nullopt;
  }
  std::optional<std::string> real = ResolveLinks(resolved);
  if (!real || !Inside(root, *real)) return std::nullopt;
  return real;
}

std::optional<std::string> RootFolder(std::string_view folder) {
  std::string absolute(folder);
  if (folder.empty() || folder.front() != '/') {
    char* working = getcwd(nullptr, 0);
    if (working == nullptr) return std::nullopt;
    absolute = std::string(working) + "/" + absolute;
    std::free(working);
  }
  std::optional<std::string> real = RealPath(absolute);
  struct stat info;
  if (!real || stat(real->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return real;
}

}  // namespace mapwright::host
