// What both platforms' file access share.
#include "fileio/file_access.h"

namespace mapwright {

std::optional<std::string> ReadOrCreateFile(const char* path) {
  std::string content;
  std::optional<std::size_t> got = ReadOrCreateFileInto(path, [&content](std::size_t size) {
    content.resize(size);
    return content.data();
  });
  if (!got) return std::nullopt;
  content.resize(*got);
  return content;
}

}  // namespace mapwright
