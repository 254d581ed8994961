/* The baseline: reads a map byte by byte and classifies every byte as
 * whitespace, quote, brace or other. That is the cost of looking at the text
 * at all, one byte at a time. Each byte costs one table load and one add: the
 * class counts live in three 21-bit lanes of one 64-bit word, flushed before
 * a lane could overflow.
 *   mapwright-bytescan FILE [RUNS]
 * prints the best time in seconds, the bytes, and the whitespace, quote and
 * brace counts. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static uint64_t increments[256];

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static const uint64_t kLane = 0x1fffff;

static void flush(uint64_t* lanes, uint64_t counts[3]) {
  counts[0] += *lanes & kLane;
  counts[1] += (*lanes >> 21) & kLane;
  counts[2] += *lanes >> 42;
  *lanes = 0;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: mapwright-bytescan FILE [RUNS]\n");
    return 2;
  }
  int runs = argc > 2 ? atoi(argv[2]) : 5;
  FILE* file = fopen(argv[1], "rb");
  if (!file) {
    perror(argv[1]);
    return 1;
  }
  fseek(file, 0, SEEK_END);
  long size = ftell(file);
  fseek(file, 0, SEEK_SET);
  char* text = malloc((size_t)size + 1);
  if (!text || fread(text, 1, (size_t)size, file) != (size_t)size) return 1;
  text[size] = 0;
  fclose(file);
  increments[' '] = increments['\t'] = increments['\r'] = increments['\n'] = 1;
  increments['"'] = 1ull << 21;
  increments['{'] = increments['}'] = 1ull << 42;

  double best = 1e9;
  uint64_t counts[3] = {0, 0, 0};
  unsigned long bytes = 0;
  for (int run = 0; run < runs; ++run) {
    counts[0] = counts[1] = counts[2] = 0;
    double start = now();
    const unsigned char* p = (const unsigned char*)text;
    uint64_t lanes = 0;
    unsigned inLanes = 0;
    for (; *p; ++p) {
      lanes += increments[*p];
      if (++inLanes == (1u << 20)) {
        flush(&lanes, counts);
        inLanes = 0;
      }
    }
    flush(&lanes, counts);
    bytes = (unsigned long)(p - (const unsigned char*)text);
    double elapsed = now() - start;
    if (elapsed < best) best = elapsed;
  }
  printf("%.6f %lu %llu %llu %llu\n", best, bytes, (unsigned long long)counts[0],
         (unsigned long long)counts[1], (unsigned long long)counts[2]);
  free(text);
  return 0;
}
