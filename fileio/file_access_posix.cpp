// POSIX file access. Windows share modes are met with advisory locks taken
// without blocking: a reader holds a shared lock, a writer an exclusive one.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>

#include "fileio/file_access.h"

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

}  // namespace

std::optional<std::string> ReadOrCreateFile(const char* path) {
  // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are read.
  Descriptor file(open(path, O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kNewFileMode));
  if (file.get() < 0) return std::nullopt;
  if (flock(file.get(), LOCK_SH | LOCK_NB) != 0) return std::nullopt;
  struct stat info;
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::string content;
  try {
    content.resize(static_cast<std::size_t>(info.st_size));
  } catch (const std::exception&) {  // too large to hold in memory
    return std::nullopt;
  }
  content.resize(ReadUpTo(file.get(), content.data(), content.size()));
  return content;
}

NewFile::~NewFile() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool NewFile::Create(const char* path) {
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kNewFileMode);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  descriptor_ = fd;
  return true;
}

bool NewFile::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t put = write(descriptor_, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

}  // namespace mapwright
