// Windows file access through KERNEL32: the share modes and creation
// dispositions give the reading and writing rules directly.
#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

#include "fileio/file_access.h"

namespace mapwright {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  // Closes now; false when the close reports an error.
  [[nodiscard]] bool Close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

void Tell(FileFailure* why, FileFailure failure) {
  if (why != nullptr) *why = failure;
}

FileFailure FromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return FileFailure::kMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileFailure::kDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileFailure::kHeld;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return FileFailure::kExists;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return FileFailure::kTooLarge;
    default:
      return FileFailure::kFailed;
  }
}

// One ReadFile or WriteFile call moves at most this many bytes.
constexpr DWORD kChunk = 1u << 30;

DWORD ChunkOf(unsigned long long remaining) {
  return remaining < kChunk ? static_cast<DWORD>(remaining) : kChunk;
}

[[nodiscard]] bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    if (!WriteFile(file, bytes.data(), ChunkOf(bytes.size()), &put, nullptr) || put == 0) {
      return false;
    }
    bytes.remove_prefix(put);
  }
  return true;
}

// A temporary file of our own in the folder of path, created new.
// Whether a path can name a new file: not empty, not a folder by its
// spelling (a final separator, "." or "..") nor by what stands there. Asked
// before anything is made, so that a folder's path leaves nothing behind.
bool NamesAFile(const char* path) {
  std::string_view name(path);
  if (name.empty() || name.back() == '/' || name.back() == '\\' || name.back() == ':') return false;
  std::string_view last = name.substr(name.find_last_of("/\\") + 1);
  if (last == "." || last == "..") return false;
  DWORD attributes = GetFileAttributesA(path);
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

HANDLE CreateTemporaryBeside(const char* path, std::string& name) {
  std::string folder(path);
  std::size_t slash = folder.find_last_of("/\\");
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + ".mapwright-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + ".tmp";
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Reads an open file whole into what allocate gives; the count read.
// Exactly: one byte more than the size is asked for, and a file that grew
// or shrank meanwhile is not read; else what stands within the size is.
// Only a disk file is read.
std::optional<std::size_t> ReadOpened(HANDLE file, const Allocate& allocate, bool exactly,
                                      FileFailure* why) {
  if (file == INVALID_HANDLE_VALUE) {
    Tell(why, FromError(GetLastError()));
    return std::nullopt;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    Tell(why, FileFailure::kNotAFile);
    return std::nullopt;
  }
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    Tell(why, FileFailure::kFailed);
    return std::nullopt;
  }
  unsigned long long size = (static_cast<unsigned long long>(high) << 32) | low;
  if (size > static_cast<std::size_t>(-1) - 1) {
    Tell(why, FileFailure::kTooLarge);
    return std::nullopt;
  }
  char* buffer = nullptr;
  try {
    buffer = allocate(static_cast<std::size_t>(size));
  } catch (const std::exception&) {  // too large to hold in memory
    Tell(why, FileFailure::kTooLarge);
    return std::nullopt;
  }
  const unsigned long long wanted = size + (exactly ? 1 : 0);
  std::size_t done = 0;
  while (done < wanted) {
    DWORD got = 0;
    if (!ReadFile(file, buffer + done, ChunkOf(wanted - done), &got, nullptr) || got == 0) break;
    done += got;
  }
  if (exactly && done != size) {
    Tell(why, FileFailure::kChanged);
    return std::nullopt;
  }
  return done;
}

// A folder, or a name for a device ("CON", "\\.\PIPE\..."): anything but a
// disk file, which a path may name or not.
bool NamesSomethingElse(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  Handle existing(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return existing.get() != INVALID_HANDLE_VALUE && GetFileType(existing.get()) != FILE_TYPE_DISK;
}

// Writes bytes to a temporary file beside path, flushed, then moves it to
// path with flags; nothing is left behind when any step fails, but a killed
// process leaves the temporary ".mapwright-*.tmp" file.
bool StoreAndMove(const char* path, std::string_view bytes, DWORD flags, FileFailure* why) {
  if (!NamesAFile(path) || NamesSomethingElse(path)) {
    Tell(why, *path == '\0' ? FileFailure::kMissing : FileFailure::kNotAFile);
    return false;
  }
  std::string temporary;
  Handle file(CreateTemporaryBeside(path, temporary));
  if (file.get() == INVALID_HANDLE_VALUE) {
    Tell(why, FromError(GetLastError()));
    return false;
  }
  bool stored = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) != 0;
  stored = file.Close() && stored;
  if (!stored) {
    Tell(why, FileFailure::kFailed);
  } else if (MoveFileExA(temporary.c_str(), path, flags) == 0) {
    Tell(why, FromError(GetLastError()));
    stored = false;
  }
  if (!stored) DeleteFileA(temporary.c_str());
  return stored;
}

}  // namespace

std::optional<std::size_t> ReadOrCreateFileInto(const char* path, const Allocate& allocate,
                                                FileFailure* why) {
  Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadOpened(file.get(), allocate, false, why);
}

std::optional<std::size_t> ReadExistingFile(const char* path, const Allocate& allocate,
                                            FileFailure* why) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    Tell(why, FileFailure::kNotAFile);
    return std::nullopt;
  }
  Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadOpened(file.get(), allocate, true, why);
}

bool WriteNewFile(const char* path, std::string_view bytes, FileFailure* why) {
  // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file.
  return StoreAndMove(path, bytes, MOVEFILE_WRITE_THROUGH, why);
}

// The move fails while another program holds the old file open, as the
// sharing rules require; the old file then stays as it was.
bool ReplaceFileWith(const char* path, std::string_view bytes, FileFailure* why) {
  return StoreAndMove(path, bytes, MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING, why);
}

}  // namespace mapwright
