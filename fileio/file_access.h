// Whole-file access with the sharing rules of the script file functions:
// reading creates a missing file (ReadExistingFile never does); writing
// creates new files, or replaces one, whole or not at all. A file being read
// may be read by others but not written.
#ifndef MAPWRIGHT_FILEIO_FILE_ACCESS_H
#define MAPWRIGHT_FILEIO_FILE_ACCESS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mapwright {

// Why a file could not be read or stored.
enum class FileFailure : std::uint8_t {
  kNone,
  kMissing,   // no such file, or no such folder
  kNotAFile,  // a folder, FIFO, device or socket
  kDenied,    // no permission
  kHeld,      // another program holds it
  kTooLarge,  // beyond memory or the file size limit
  kChanged,   // its size changed while it was read
  kExists,    // a new file's name is taken
  kFailed,    // a write, flush or rename failed: a full disk, a read-only one
};

// A sentence a user can act on.
const char* DescribeFileFailure(FileFailure failure);

// Opens the file, creating it empty when it is missing, and reads all of it.
// Nothing when it cannot be opened (no such folder, a directory, a FIFO,
// access denied, held by a writer) or its bytes do not fit in memory.
[[nodiscard]] std::optional<std::string> ReadOrCreateFile(const char* path);

// Storage for a file's bytes: given the size, room for that many bytes and
// one more. May throw std::bad_alloc.
using Allocate = std::function<char*(std::size_t size)>;

// Reads a file whole into the storage allocate gives, as ReadOrCreateFile
// reads; the count of bytes read (fewer than allocated when the file shrank
// meanwhile), or nothing (and why, when why is given). ReadExistingFile
// never creates a file, and reads a file that grew or shrank while it was
// read not at all.
[[nodiscard]] std::optional<std::size_t> ReadOrCreateFileInto(const char* path,
                                                              const Allocate& allocate,
                                                              FileFailure* why = nullptr);
[[nodiscard]] std::optional<std::size_t> ReadExistingFile(const char* path,
                                                          const Allocate& allocate,
                                                          FileFailure* why = nullptr);

// Stores bytes as a new file under path: written to a temporary file in the
// same folder, flushed to disk, then published under path without ever
// replacing a file there. False, with nothing left behind, when a file of
// that name exists, the folder is missing or denied, or any write, flush or
// close fails (a full disk, a file size limit). On Linux the temporary file
// has no name until it is whole (where the file system allows): a process
// killed meanwhile leaves nothing. Elsewhere it is named ".mapwright-*" in
// the same folder, and a killed process leaves it there.
[[nodiscard]] bool WriteNewFile(const char* path, std::string_view bytes,
                                FileFailure* why = nullptr);

// Stores bytes under path, replacing a file there at once: written to a
// temporary file in the same folder, flushed to disk, then renamed over the
// old one, so that a reader sees the old file or the new one, never a mix. A
// link at path is replaced as a name, not followed; a replaced file keeps its
// permissions. Only a regular file (or a link) is replaced: false, with the
// old file as it was and nothing left behind, when the path names a folder,
// FIFO, device or socket, the folder is missing or denied, or any write,
// flush, close or the rename fails (a full disk, a file size limit; on
// Windows, a file another program holds open). Temporaries as WriteNewFile.
[[nodiscard]] bool ReplaceFileWith(const char* path, std::string_view bytes,
                                   FileFailure* why = nullptr);

}  // namespace mapwright

#endif
