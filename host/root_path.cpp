#include "host/root_path.h"

#include <unistd.h>

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
  return Join(resolved);
}

std::string AbsoluteFolder(std::string_view folder) {
  std::string base;
  if (folder.empty() || folder.front() != '/') {
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) != nullptr) base = buffer.data();
  }
  std::vector<std::string_view> segments;
  Normalise(segments, base, 0);
  Normalise(segments, folder, 0);
  return Join(segments);
}

}  // namespace mapwright::host
