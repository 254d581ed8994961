// POSIX file access. Windows share modes are met with advisory locks taken
// without blocking: a reader holds a shared lock, so a file that another
// program holds under an exclusive one cannot be read. A new file is written
// unnamed where the file system allows (O_TMPFILE), else under a temporary
// name that nobody else knows, and gets its name once it is whole.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "fileio/file_access.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE 1
#endif

namespace mapwright {
namespace {

constexpr mode_t kNewFileMode = 0644;

void Tell(FileFailure* why, FileFailure failure) {
  if (why != nullptr) *why = failure;
}

FileFailure FromError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FileFailure::kMissing;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileFailure::kDenied;
    case EISDIR:
    case ENXIO:
    case ENODEV:
      return FileFailure::kNotAFile;
    case EWOULDBLOCK:
    case ETXTBSY:
      return FileFailure::kHeld;
    case EFBIG:
    case ENOMEM:
      return FileFailure::kTooLarge;
    default:
      return FileFailure::kFailed;
  }
}

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

// The folder of path, with its final slash.
std::string FolderOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? std::string("./") : std::string(path, slash + 1);
}

// A template for mkostemp in the folder of path.
std::string TemporaryBeside(const char* path) {
  return FolderOf(path) + ".mapwright-XXXXXX";
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
// taken without waiting; the count of bytes read. Exactly: one byte more
// than the size is asked for, and a file that grew or shrank meanwhile is
// not read; else what stands within the size is.
std::optional<std::size_t> ReadOpened(int fd, const Allocate& allocate, bool exactly,
                                      FileFailure* why) {
  if (fd < 0) {
    Tell(why, FromError(errno));
    return std::nullopt;
  }
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    Tell(why, FileFailure::kHeld);
    return std::nullopt;
  }
  FileStatus status;
  if (!StatusOf(fd, status) || !status.regular) {
    Tell(why, FileFailure::kNotAFile);
    return std::nullopt;
  }
  char* buffer = nullptr;
  try {
    buffer = allocate(status.size);
  } catch (const std::exception&) {  // too large to hold in memory
    Tell(why, FileFailure::kTooLarge);
    return std::nullopt;
  }
  const std::size_t got = ReadUpTo(fd, buffer, status.size + (exactly ? 1 : 0));
  if (exactly && got != status.size) {
    Tell(why, FileFailure::kChanged);
    return std::nullopt;
  }
  return got;
}

// The mode a new file gets, as open would give it.
mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return kNewFileMode & ~mask;
}

// A file being stored beside path: unnamed until it is whole where the file
// system allows, so that a process killed meanwhile leaves nothing; else
// under a temporary name, which Abandon removes.
class Temporary {
 public:
  Temporary(const char* path, mode_t mode) : file_(Open(path, mode)) {}
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() { Abandon(); }

  bool Opened() const { return file_.get() >= 0; }
  // Every byte written and flushed to disk.
  [[nodiscard]] bool Store(std::string_view bytes) {
    return WriteAll(file_.get(), bytes) && fsync(file_.get()) == 0;
  }
  // Gives the file the name, which must be new; false when it exists or
  // cannot be made. Once named the file is no longer this one's.
  [[nodiscard]] bool NameAs(const char* path) {
    bool named = false;
    if (name_.empty()) {
      named = LinkUnnamed(path);
    } else {
      named = Publish(name_.c_str(), path);
    }
    const bool closed = file_.Close();
    if (!name_.empty()) unlink(name_.c_str());
    name_.clear();
    if (named && !closed) unlink(path);
    return named && closed;
  }
  // A new name of its own beside path, for a rename over path to follow.
  [[nodiscard]] bool NameBeside(const char* path, std::string& name) {
    bool named = !name_.empty();
    if (named) {
      name = std::exchange(name_, {});
    } else {
      static unsigned counter = 0;
      for (int attempt = 0; attempt < 100 && !named; ++attempt) {
        name = FolderOf(path) + ".mapwright-" + std::to_string(getpid()) + "-" +
               std::to_string(++counter);
        named = LinkUnnamed(name.c_str());
        if (!named && errno != EEXIST) break;
      }
    }
    if (named && file_.Close()) return true;
    if (named) unlink(name.c_str());
    return false;
  }

 private:
  int Open(const char* path, mode_t mode) {
#ifdef O_TMPFILE
    int fd = open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0 && fchmod(fd, mode) == 0) return fd;
    if (fd >= 0) close(fd);
#endif
    name_ = TemporaryBeside(path);
    int named = mkostemp(name_.data(), O_CLOEXEC);
    if (named < 0) {
      name_.clear();
      return -1;
    }
    if (fchmod(named, mode) != 0) {
      close(named);
      unlink(name_.c_str());
      name_.clear();
      return -1;
    }
    return named;
  }
  // Links the unnamed file under a new name: through its descriptor where
  // the process may, else through /proc.
  bool LinkUnnamed(const char* path) {
#ifdef AT_EMPTY_PATH
    if (linkat(file_.get(), "", AT_FDCWD, path, AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
#endif
    char self[48];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", file_.get());
    return linkat(AT_FDCWD, self, AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0;
  }
  void Abandon() {
    if (!name_.empty()) unlink(name_.c_str());
    name_.clear();
  }

  std::string name_;  // empty while unnamed; made before file_, which Open names
  Descriptor file_;
};

// Flushes the folder of path, so that a new name in it survives a crash.
void FlushFolderOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  std::string folder = slash == nullptr ? std::string(".") : std::string(path, slash + 1);
  Descriptor handle(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (handle.get() >= 0) static_cast<void>(fsync(handle.get()));  // best effort: the file is whole
}

}  // namespace

std::optional<std::size_t> ReadOrCreateFileInto(const char* path, const Allocate& allocate,
                                                FileFailure* why) {
  // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are read.
  Descriptor file(open(path, O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kNewFileMode));
  return ReadOpened(file.get(), allocate, false, why);
}

std::optional<std::size_t> ReadExistingFile(const char* path, const Allocate& allocate,
                                            FileFailure* why) {
  Descriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  return ReadOpened(file.get(), allocate, true, why);
}

namespace {

// Whether bytes may be stored as a file under path: asked before anything
// is made. Why not, when not.
bool MayStore(const char* path, std::size_t size, FileFailure* why) {
  if (!NamesAFile(path)) {
    Tell(why, *path == '\0' ? FileFailure::kMissing : FileFailure::kNotAFile);
    return false;
  }
  if (!WithinSizeLimit(size)) {
    Tell(why, FileFailure::kTooLarge);
    return false;
  }
  return true;
}

// The bytes written into the temporary file and flushed; why not, when not.
bool Fill(Temporary& file, std::string_view bytes, FileFailure* why) {
  if (!file.Opened()) {
    Tell(why, FromError(errno));  // as its open left it
    return false;
  }
  if (!file.Store(bytes)) {
    Tell(why, FileFailure::kFailed);
    return false;
  }
  return true;
}

}  // namespace

bool WriteNewFile(const char* path, std::string_view bytes, FileFailure* why) {
  if (!MayStore(path, bytes.size(), why)) return false;
  Temporary file(path, NewFileMode());
  if (!Fill(file, bytes, why)) return false;
  if (!file.NameAs(path)) {
    Tell(why, access(path, F_OK) == 0 ? FileFailure::kExists : FileFailure::kFailed);
    return false;
  }
  return true;
}

// A file replaced keeps its permissions. What stands at path is looked at
// without being opened for reading (a device would act on that) and without
// following a link: only a regular file or a link is replaced.
bool ReplaceFileWith(const char* path, std::string_view bytes, FileFailure* why) {
  mode_t mode = NewFileMode();
  {
#ifdef O_PATH
    Descriptor existing(open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC));
#else
    Descriptor existing(open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
#endif
    const int error = errno;
    FileStatus status;
    if (existing.get() >= 0 && StatusOf(existing.get(), status)) {
      if (status.regular) {
        mode = status.mode & 07777;
      } else if (!S_ISLNK(status.mode)) {
        Tell(why, FileFailure::kNotAFile);
        return false;
      }
    } else if (existing.get() < 0 && error != ENOENT && error != ELOOP) {
      Tell(why, FromError(error));
      return false;
    }
  }
  if (!MayStore(path, bytes.size(), why)) return false;
  Temporary file(path, mode);
  if (!Fill(file, bytes, why)) return false;
  std::string temporary;
  if (!file.NameBeside(path, temporary)) {
    Tell(why, FileFailure::kFailed);
    return false;
  }
  if (rename(temporary.c_str(), path) != 0) {
    Tell(why, FromError(errno));
    unlink(temporary.c_str());
    return false;
  }
  FlushFolderOf(path);
  return true;
}

}  // namespace mapwright
