# Two commands do everything on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts Notara
#   make test   installs what is missing, builds, runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
ARGS ?=
# make fuzz: seconds each harness runs, and where the fuzzing build goes.
FUZZ_TIME ?= 600
FUZZ_DIR ?= build-fuzz

# make install: the programs, their content and desktop files below PREFIX
# (below DESTDIR when given, for a staged install).
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps configure build run test bench fuzz format clean install package

all: build

deps:
	@tools/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@tools/run-app $(BUILD_DIR)/notara $(ARGS)

# The default build holds what the application needs; the tests and the
# benchmarks come on top of it.
test: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target notara_tests
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	@for b in $(BUILD_DIR)/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b"; tools/run-app "$$b" || exit 1; fi; \
	done

# Builds the libFuzzer harnesses with clang and the sanitizers and runs each
# for FUZZ_TIME seconds on a copy of its seed corpus; new inputs stay in
# $(FUZZ_DIR)/work, crash inputs go to $(FUZZ_DIR)/crashes.
fuzz: deps
	@tools/run-fuzzers $(FUZZ_DIR) $(FUZZ_TIME) $(JOBS)

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# make package: the Debian package of both programs, in the build folder.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/notara_*.deb

format:
	@clang-format -i $$(git ls-files '*.h' '*.cpp')

clean:
	@rm -rf $(BUILD_DIR)
