// The module loads on servers whose C library is years older than the one it
// is built with. The C++ library, linked in statically, needs three things
// from the C library that it has had only lately; the module has its own,
// kept local by exports.map, so that it needs nothing newer than 2.17:
// - whether the process has only one thread (2.32), to skip atomic
//   operations then: the module says "no" and always counts atomically;
// - getentropy (2.25) and arc4random (2.36), for std::random_device, which
//   the module never uses: they ask the kernel.
#include <cstddef>  // defines __GLIBC__ with the C library

#if defined(__linux__) && defined(__GLIBC__)
#include <errno.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

extern "C" {

char __libc_single_threaded = 0;
std::uint32_t arc4random() noexcept;

int getentropy(void* buffer, std::size_t length) {
  if (length > 256) {
    errno = EIO;
    return -1;
  }
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (length > 0) {
    long got = syscall(SYS_getrandom, bytes, length, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return -1;
    bytes += got;
    length -= static_cast<std::size_t>(got);
  }
  return 0;
}

std::uint32_t arc4random() noexcept {
  std::uint32_t value = 0;
  while (getentropy(&value, sizeof value) != 0) {
  }
  return value;
}

}  // extern "C"
#endif
