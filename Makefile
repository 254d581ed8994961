# The usual flows. Every target installs what is missing first.
# The output shows the commands that run, not every folder make enters.
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# CI sets WERROR=ON: warnings become errors with the compilers we build with.
WERROR ?= OFF
override CMAKE_FLAGS += -DMAPWRIGHT_WERROR=$(WERROR)

.PHONY: all build asan test test-windows test-windows32 test-linux32 demo bench fuzz fuzz-smoke \
  dist format bootstrap clean

all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

asan: bootstrap
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMAPWRIGHT_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-asan -j $(JOBS)

# Every test, in the plain build and in the sanitized one.
test: build asan
	cd build && ctest --output-on-failure -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# The module and its C++ tests cross-built for 64-bit Windows, run under Wine.
# A Wine process now and then dies at start under load, before the test runs
# (seen: a test failing in 0.00 s with no output, passing when run again); a
# test that fails is run once more, so a real failure still fails twice.
WINE_RETRY = --repeat until-pass:2
test-windows:
	@scripts/bootstrap.sh windows
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build-windows -j $(JOBS)
	cd build-windows && ctest --output-on-failure -j $(JOBS) $(WINE_RETRY)

# 32-bit builds. Where this machine cannot execute 32-bit programs (a kernel
# without IA-32 emulation) the 32-bit Linux programs run under qemu-i386,
# Debian's user-mode emulator, started by ctest and the test scripts. The
# message says which way they ran.
SKIP32 = echo "$@: this machine cannot execute 32-bit programs: built; only the checks that run none ran"

# The module, the host and every test as 32-bit Linux programs.
test-linux32:
	@scripts/bootstrap.sh linux32
	@emulator=$$(scripts/can_run_32bit.sh || command -v qemu-i386); \
	echo cmake -S . -B build-linux32 ... -DCMAKE_CROSSCOMPILING_EMULATOR="$$emulator"; \
	cmake -S . -B build-linux32 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-x86.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAPWRIGHT_BENCHMARKS=OFF \
	  -DCMAKE_CROSSCOMPILING_EMULATOR="$$emulator" $(CMAKE_FLAGS) >/dev/null && \
	cmake --build build-linux32 -j $(JOBS) && \
	if [ -n "$$emulator" ]; then echo "$@: 32-bit programs run under $$emulator"; \
	else echo "$@: 32-bit programs run natively"; fi && \
	cd build-linux32 && ctest --output-on-failure -j $(JOBS)

# The module and its C++ tests cross-built for 32-bit Windows, run under 32-bit Wine.
test-windows32:
	@scripts/bootstrap.sh windows32
	cmake -S . -B build-windows32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build-windows32 -j $(JOBS)
	@if scripts/can_run_32bit.sh && command -v wine >/dev/null; then \
	  cd build-windows32 && ctest --output-on-failure -j $(JOBS) $(WINE_RETRY); \
	else cd build-windows32 && ctest --output-on-failure -R '^(layers|exports)$$' && $(SKIP32); fi

demo: build
	rm -rf build/demo && mkdir -p build/demo
	build/bin/mapwright-lua --root . examples/demo.lua

# Speed and memory on generated maps of 20 and 200 MB; see build/bench/results.md.
bench: build
	bench/run

# libFuzzer targets (clang-14) in build-fuzz/bin/fuzz_<name>; the smoke run
# gives each FUZZ_SECONDS (60) on its seeds, plus the real maps when present.
FUZZ_TARGETS = token_reader parse call_sequence
FUZZ_SECONDS ?= 60

fuzz: bootstrap
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DMAPWRIGHT_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-fuzz -j $(JOBS)

fuzz-smoke: fuzz
	scripts/fuzz_smoke.sh $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The four release archives and their checksums in build/dist.
dist: build
	@scripts/bootstrap.sh linux32
	@scripts/bootstrap.sh windows
	@scripts/bootstrap.sh windows32
	cmake -S . -B build-linux32 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-x86.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAPWRIGHT_BENCHMARKS=OFF $(CMAKE_FLAGS) >/dev/null
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake -S . -B build-windows32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	for dir in build-linux32 build-windows build-windows32; do \
	  cmake --build $$dir -j $(JOBS) --target mapwright || exit 1; done
	scripts/dist.sh

# clang-format over every C++ source of ours.
format:
	git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf build build-asan build-windows build-windows32 build-linux32 build-fuzz
