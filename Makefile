# Everything goes through CMake; this file only strings the steps together.
BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Warnings fail the build in CI (which sets CI), not on a developer's machine.
WERROR ?= $(if $(CI),ON,OFF)
PREFIX ?= /usr/local

.PHONY: all bootstrap configure build run test bench install clean test-sanitize fuzz

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKESTREL_WERROR=$(WERROR)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/kestrel $(ARGS)

bench: build
	$(BUILD_DIR)/bench/kestrel-bench zexdoc
	$(BUILD_DIR)/bench/kestrel-bench machine
	$(BUILD_DIR)/bench/kestrel-bench render
	$(BUILD_DIR)/bench/kestrel-bench basic
	$(BUILD_DIR)/bench/kestrel-bench disk
	$(BUILD_DIR)/bench/kestrel-bench video

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in a
# build of its own. Leaks inside system libraries are suppressed by name in
# .ci/lsan.supp; leak detection itself stays on.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g1
test-sanitize: bootstrap
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_WERROR=$(WERROR) \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# Every fuzz target built with clang and libFuzzer, then run for FUZZ_SECONDS
# seconds each, one after another, from the seeds in fuzz/corpus.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: bootstrap
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_FUZZ=ON
	@cmake --build $(FUZZ_DIR) --target fuzz-all -j $(JOBS)
	fuzz/run $(FUZZ_DIR) $(FUZZ_SECONDS)

# DESTDIR, when set, is honoured by cmake --install as usual.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR)
