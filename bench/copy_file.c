/* The least any job that reads and writes a map must do: read the file with
 * read(2) into one buffer, write it to a new file with write(2) and flush it
 * with fsync. Times are the process's CPU time, as os.clock gives the Lua
 * side, best of the runs.
 *   mapwright-copyfile FILE OUT [RUNS]
 * prints the best read and write times in seconds, and the bytes. */
#define _POSIX_C_SOURCE 200809L
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: mapwright-copyfile FILE OUT [RUNS]\n");
    return 2;
  }
  int runs = argc > 3 ? atoi(argv[3]) : 5;
  double bestRead = 1e30, bestWrite = 1e30;
  size_t size = 0;
  for (int run = 0; run < runs; ++run) {
    double start = now();
    int in = open(argv[1], O_RDONLY);
    struct stat status;
    if (in < 0 || fstat(in, &status) != 0) return 1;
    size = (size_t)status.st_size;
    char* buffer = malloc(size + 1);
    if (buffer == NULL) return 1;
    for (size_t done = 0; done < size;) {
      ssize_t got = read(in, buffer + done, size - done);
      if (got <= 0) return 1;
      done += (size_t)got;
    }
    close(in);
    double read = now() - start;
    unlink(argv[2]);
    start = now();
    int out = open(argv[2], O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (out < 0) return 1;
    for (size_t done = 0; done < size;) {
      ssize_t put = write(out, buffer + done, size - done);
      if (put <= 0) return 1;
      done += (size_t)put;
    }
    if (fsync(out) != 0 || close(out) != 0) return 1;
    double write = now() - start;
    free(buffer);
    if (read < bestRead) bestRead = read;
    if (write < bestWrite) bestWrite = write;
  }
  unlink(argv[2]);
  printf("%.6f %.6f %zu\n", bestRead, bestWrite, size);
  return 0;
}
