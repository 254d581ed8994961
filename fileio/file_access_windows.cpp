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
std::optional<std::size_t> ReadOpened(HANDLE file, const Allocate& allocate) {
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
  unsigned long long size = (static_cast<unsigned long long>(high) << 32) | low;
  if (size > static_cast<std::size_t>(-1) - 1) return std::nullopt;
  char* buffer = nullptr;
  try {
    buffer = allocate(static_cast<std::size_t>(size));
  } catch (const std::exception&) {  // too large to hold in memory
    return std::nullopt;
  }
  std::size_t done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(file, buffer + done, ChunkOf(size - done), &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

// Writes bytes to a temporary file beside path, flushed, then moves it to
// path with flags; nothing is left behind when any step fails.
bool StoreAndMove(const char* path, std::string_view bytes, DWORD flags) {
  if (!NamesAFile(path)) return false;
  std::string temporary;
  Handle file(CreateTemporaryBeside(path, temporary));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  bool stored = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) != 0;
  stored = file.Close() && stored;
  stored = stored && MoveFileExA(temporary.c_str(), path, flags) != 0;
  if (!stored) DeleteFileA(temporary.c_str());
  return stored;
}

}  // namespace

std::optional<std::size_t> ReadOrCreateFileInto(const char* path, const Allocate& allocate) {
  Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadOpened(file.get(), allocate);
}

std::optional<std::size_t> ReadExistingFile(const char* path, const Allocate& allocate) {
  Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadOpened(file.get(), allocate);
}

bool WriteNewFile(const char* path, std::string_view bytes) {
  // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file.
  return StoreAndMove(path, bytes, MOVEFILE_WRITE_THROUGH);
}

// The move fails while another program holds the old file open, as the
// sharing rules require; the old file then stays as it was.
bool ReplaceFileWith(const char* path, std::string_view bytes) {
  return StoreAndMove(path, bytes, MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING);
}

}  // namespace mapwright
