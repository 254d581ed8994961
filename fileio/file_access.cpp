// What both platforms' file access share.
#include "fileio/file_access.h"

namespace mapwright {

const char* DescribeFileFailure(FileFailure failure) {
  switch (failure) {
    case FileFailure::kNone:
      break;
    case FileFailure::kMissing:
      return "no such file or folder";
    case FileFailure::kNotAFile:
      return "the path names a folder, FIFO, device or socket, not a file";
    case FileFailure::kDenied:
      return "permission denied";
    case FileFailure::kHeld:
      return "another program holds the file";
    case FileFailure::kTooLarge:
      return "the file is too large";
    case FileFailure::kChanged:
      return "the file changed size while it was read";
    case FileFailure::kExists:
      return "a file of that name exists";
    case FileFailure::kFailed:
      return "the file could not be written (is the disk full or read-only?)";
  }
  return "the file could not be read or written";
}

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
