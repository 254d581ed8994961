// Whole-file access with the sharing rules of the script file functions:
// reading creates a missing file; writing only ever creates new files, whole
// or not at all. A file being read may be read by others but not written.
#ifndef MAPWRIGHT_FILEIO_FILE_ACCESS_H
#define MAPWRIGHT_FILEIO_FILE_ACCESS_H

#include <optional>
#include <string>
#include <string_view>

namespace mapwright {

// Opens the file, creating it empty when it is missing, and reads all of it.
// Nothing when it cannot be opened (no such folder, a directory, a FIFO,
// access denied, held by a writer) or its bytes do not fit in memory.
[[nodiscard]] std::optional<std::string> ReadOrCreateFile(const char* path);

// Stores bytes as a new file under path: written to a temporary file in the
// same folder, flushed to disk, then published under path without ever
// replacing a file there. False, with nothing left behind, when a file of
// that name exists, the folder is missing or denied, or any write, flush or
// close fails (a full disk, a file size limit).
[[nodiscard]] bool WriteNewFile(const char* path, std::string_view bytes);

}  // namespace mapwright

#endif
