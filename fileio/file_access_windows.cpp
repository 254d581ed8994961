// Windows file access through KERNEL32: the share modes and creation
// dispositions give the reading and writing rules directly.
#include <windows.h>

#include <exception>

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

 private:
  HANDLE handle_;
};

// One ReadFile or WriteFile call moves at most this many bytes.
constexpr DWORD kChunk = 1u << 30;

DWORD ChunkOf(unsigned long long remaining) {
  return remaining < kChunk ? static_cast<DWORD>(remaining) : kChunk;
}

}  // namespace

std::optional<std::string> ReadOrCreateFile(const char* path) {
  Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  DWORD high = 0;
  DWORD low = GetFileSize(file.get(), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
  unsigned long long size = (static_cast<unsigned long long>(high) << 32) | low;
  std::string content;
  try {
    content.resize(static_cast<std::size_t>(size));
  } catch (const std::exception&) {  // too large to hold in memory
    return std::nullopt;
  }
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), content.data() + done, ChunkOf(content.size() - done), &got,
                  nullptr) ||
        got == 0) {
      break;
    }
    done += got;
  }
  content.resize(done);
  return content;
}

NewFile::~NewFile() {
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

bool NewFile::Create(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  return true;
}

bool NewFile::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data(), ChunkOf(bytes.size()), &put,
                   nullptr) ||
        put == 0) {
      return false;
    }
    bytes.remove_prefix(put);
  }
  return true;
}

}  // namespace mapwright
