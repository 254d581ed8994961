// Whole-file access with the sharing rules of the script file functions: a
// file being read may be read by others but not written, a file being written
// can be neither read nor written by anyone else (on Windows other writers
// may share it); reading creates a missing file, writing only ever creates
// new files.
#ifndef MAPWRIGHT_FILEIO_FILE_ACCESS_H
#define MAPWRIGHT_FILEIO_FILE_ACCESS_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mapwright {

// Opens the file, creating it empty when it is missing, and reads all of it.
// Nothing when it cannot be opened (no such folder, a directory, access
// denied, held by a writer) or its bytes do not fit in memory.
[[nodiscard]] std::optional<std::string> ReadOrCreateFile(const char* path);

// A file created by Create, held open until destruction.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Creates the file; false when a file of that name exists or it cannot be
  // made. Never replaces, truncates or appends to an existing file.
  [[nodiscard]] bool Create(const char* path);
  // Writes every byte, retrying short writes; false on an error.
  [[nodiscard]] bool WriteAll(std::string_view bytes);

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int descriptor_ = -1;
#endif
};

}  // namespace mapwright

#endif
