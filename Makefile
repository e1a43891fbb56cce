# Front door for newcomers and CI. Every target installs what is missing,
# configures and builds before doing its job.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test demo gallery bench clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Only what the demo needs (engine, kxpack, media generators), not the test suite.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target demo

gallery: build
	@cmake --build $(BUILD) --target gallery

bench: build
	@cmake --build $(BUILD) --target benchmarks
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD)
