# Everything goes through CMake; this file only strings the steps together.
BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Warnings fail the build in CI (which sets CI), not on a developer's machine.
WERROR ?= $(if $(CI),ON,OFF)
PREFIX ?= /usr/local

.PHONY: all bootstrap configure build run test bench install clean

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

# DESTDIR, when set, is honoured by cmake --install as usual.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR)
