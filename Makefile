# The usual flows. Every target installs what is missing first.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all build asan test demo bootstrap clean

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

demo: build
	rm -rf build/demo && mkdir -p build/demo
	build/bin/mapwright-lua --root . examples/demo.lua

clean:
	rm -rf build build-asan
