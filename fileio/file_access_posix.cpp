// POSIX file access. Windows share modes are met with advisory locks taken
// without blocking: a reader holds a shared lock, so a file that another
// program holds under an exclusive one cannot be read. A new file is written
// under a temporary name that nobody else knows.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <string_view>

#include "fileio/file_access.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE 1
#endif

namespace mapwright {
namespace {

constexpr mode_t kNewFileMode = 0644;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; false when the close reports an error.
  [[nodiscard]] bool Close() {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads up to size bytes into buffer; the count read.
std::size_t ReadUpTo(int fd, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t got = read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

// Writes every byte, retrying short writes; false on an error.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t put = write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// Past the process's file size limit a write would raise SIGXFSZ, which ends
// the process: such a file is refused before it is begun.
bool WithinSizeLimit(std::size_t size) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  return size <= limit.rlim_cur;
}

// Whether a path can name a new file: not empty, not a folder by its
// spelling (a final slash, "." or "..") nor by what stands there. Asked
// before anything is made, so that a folder's path leaves nothing behind,
// least of all beside the folder.
bool NamesAFile(const char* path) {
  std::string_view name(path);
  if (name.empty() || name.back() == '/') return false;
  std::string_view last = name.substr(name.find_last_of('/') + 1);
  if (last == "." || last == "..") return false;
#ifdef O_PATH
  constexpr int kLookOnly = O_PATH;  // no read permission needed
#else
  constexpr int kLookOnly = O_RDONLY;
#endif
  Descriptor folder(open(path, kLookOnly | O_DIRECTORY | O_CLOEXEC));
  return folder.get() < 0;
}

// A template for mkostemp in the folder of path.
std::string TemporaryBeside(const char* path) {
  const char* slash = std::strrchr(path, '/');
  std::string name = slash == nullptr ? std::string("./") : std::string(path, slash + 1);
  name.append(".mapwright-XXXXXX");
  return name;
}

// Gives the complete file its name, never over an existing one. A hard link
// does that everywhere but on file systems without links, where an exclusive
// rename does.
bool Publish(const char* temporary, const char* path) {
  if (link(temporary, path) == 0) return true;
  if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return false;
#ifdef SYS_renameat2
  return syscall(SYS_renameat2, AT_FDCWD, temporary, AT_FDCWD, path, RENAME_NOREPLACE) == 0;
#else
  return false;
#endif
}

// A file's kind, size and mode. Asked of the kernel directly: the C
// library's fstat is a symbol of its own only since 2.33, and the module
// loads on servers with older ones.
struct FileStatus {
  bool regular = false;
  std::size_t size = 0;
  mode_t mode = 0;
};
bool StatusOf(int fd, FileStatus& status) {
#ifdef SYS_fstat64
  struct stat64 info;
  if (syscall(SYS_fstat64, fd, &info) != 0) return false;
#else
  struct stat info;
  if (syscall(SYS_fstat, fd, &info) != 0) return false;
#endif
  status = {S_ISREG(info.st_mode), static_cast<std::size_t>(info.st_size), info.st_mode};
  return true;
}

// Reads an open file whole into what allocate gives, under a shared lock
// taken without waiting; the count of bytes read.
std::optional<std::size_t> ReadOpened(int fd, const Allocate& allocate) {
  if (fd < 0 || flock(fd, LOCK_SH | LOCK_NB) != 0) return std::nullopt;
  FileStatus status;
  if (!StatusOf(fd, status) || !status.regular) return std::nullopt;
  char* buffer = nullptr;
  try {
    buffer = allocate(status.size);
  } catch (const std::exception&) {  // too large to hold in memory
    return std::nullopt;
  }
  return ReadUpTo(fd, buffer, status.size);
}

// The mode a new file gets, as open would give it.
mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return kNewFileMode & ~mask;
}

// Writes bytes to a new file beside path, with mode, flushed to disk; its
// name, or nothing, with nothing left behind.
std::optional<std::string> StoreBeside(const char* path, std::string_view bytes, mode_t mode) {
  if (!NamesAFile(path) || !WithinSizeLimit(bytes.size())) return std::nullopt;
  std::string temporary = TemporaryBeside(path);
  Descriptor file(mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  bool stored =
      fchmod(file.get(), mode) == 0 && WriteAll(file.get(), bytes) && fsync(file.get()) == 0;
  stored = file.Close() && stored;
  if (stored) return temporary;
  unlink(temporary.c_str());
  return std::nullopt;
}

// Flushes the folder of path, so that a new name in it survives a crash.
void FlushFolderOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  std::string folder = slash == nullptr ? std::string(".") : std::string(path, slash + 1);
  Descriptor handle(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (handle.get() >= 0) static_cast<void>(fsync(handle.get()));  // best effort: the file is whole
}

}  // namespace

std::optional<std::size_t> ReadOrCreateFileInto(const char* path, const Allocate& allocate) {
  // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are read.
  Descriptor file(open(path, O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kNewFileMode));
  return ReadOpened(file.get(), allocate);
}

std::optional<std::size_t> ReadExistingFile(const char* path, const Allocate& allocate) {
  Descriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  return ReadOpened(file.get(), allocate);
}

bool WriteNewFile(const char* path, std::string_view bytes) {
  std::optional<std::string> temporary = StoreBeside(path, bytes, NewFileMode());
  if (!temporary) return false;
  bool stored = Publish(temporary->c_str(), path);
  unlink(temporary->c_str());  // the published file keeps its own name
  return stored;
}

// A file replaced keeps its permissions.
bool ReplaceFileWith(const char* path, std::string_view bytes) {
  mode_t mode = NewFileMode();
  {
    Descriptor existing(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    FileStatus status;
    if (existing.get() >= 0 && StatusOf(existing.get(), status) && status.regular) {
      mode = status.mode & 07777;
    }
  }
  std::optional<std::string> temporary = StoreBeside(path, bytes, mode);
  if (!temporary) return false;
  if (rename(temporary->c_str(), path) != 0) {
    unlink(temporary->c_str());
    return false;
  }
  FlushFolderOf(path);
  return true;
}

}  // namespace mapwright
