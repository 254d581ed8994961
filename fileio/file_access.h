// Whole-file access with the sharing rules of the script file functions:
// reading creates a missing file (ReadExistingFile never does); writing
// creates new files, or replaces one, whole or not at all. A file being read
// may be read by others but not written.
#ifndef MAPWRIGHT_FILEIO_FILE_ACCESS_H
#define MAPWRIGHT_FILEIO_FILE_ACCESS_H

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mapwright {

// Opens the file, creating it empty when it is missing, and reads all of it.
// Nothing when it cannot be opened (no such folder, a directory, a FIFO,
// access denied, held by a writer) or its bytes do not fit in memory.
[[nodiscard]] std::optional<std::string> ReadOrCreateFile(const char* path);

// Storage for a file's bytes: given the size, room for that many bytes and
// one more. May throw std::bad_alloc.
using Allocate = std::function<char*(std::size_t size)>;

// Reads a file whole into the storage allocate gives, as ReadOrCreateFile
// reads; the count of bytes read (fewer than allocated when the file shrank
// meanwhile), or nothing. ReadExistingFile never creates a file.
[[nodiscard]] std::optional<std::size_t> ReadOrCreateFileInto(const char* path,
                                                              const Allocate& allocate);
[[nodiscard]] std::optional<std::size_t> ReadExistingFile(const char* path,
                                                          const Allocate& allocate);

// Stores bytes as a new file under path: written to a temporary file in the
// same folder, flushed to disk, then published under path without ever
// replacing a file there. False, with nothing left behind, when a file of
// that name exists, the folder is missing or denied, or any write, flush or
// close fails (a full disk, a file size limit).
[[nodiscard]] bool WriteNewFile(const char* path, std::string_view bytes);

// Stores bytes under path, replacing a file there at once: written to a
// temporary file in the same folder, flushed to disk, then renamed over the
// old one, so that a reader sees the old file or the new one, never a mix. A
// link at path is replaced as a name, not followed; a replaced file keeps its
// permissions. False, with the old file as it was and nothing left behind,
// when the path names a folder, the folder is missing or denied, or any
// write, flush, close or the rename fails (a full disk, a file size limit;
// on Windows, a file another program holds open).
[[nodiscard]] bool ReplaceFileWith(const char* path, std::string_view bytes);

}  // namespace mapwright

#endif
