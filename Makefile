# Front door for newcomers and CI. Every target installs what is missing,
# configures and builds before doing its job.
BUILD ?= build
JOBS ?= $(shell nproc)
# ccache, where it is installed, makes rebuilds of unchanged sources nearly free.
CCACHE_FLAGS := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CCACHE_FLAGS)

.PHONY: all deps configure build test demo gallery bench clean fuzz fuzz-run fuzz-replay sanitize

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

# Fuzzing and the sanitizer build, with clang in build folders of their own.
FUZZ_BUILD ?= build-fuzz
SAN_BUILD ?= build-asan
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = payload ini scene picture skin objects textcodec
# The tests of the libraries without a toolkit window; they run under ASan and UBSan in CI.
SAN_TESTS = test_base test_imaging test_payload test_project test_scene test_transitions \
	test_anim test_anim_objects test_anim_object_threads test_configui_core test_audio
CLANG_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $(CCACHE_FLAGS) \
	-DKX_SANITIZE=address,undefined
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0

# build-fuzz/bin/fuzz_NAME and the seed corpora in build-fuzz/corpus/NAME.
fuzz: deps
	@if [ ! -f $(FUZZ_BUILD)/build.ninja ]; then cmake -S . -B $(FUZZ_BUILD) -G Ninja $(CLANG_FLAGS) -DKX_FUZZ=ON; fi
	@cmake --build $(FUZZ_BUILD) --target fuzz_all -j $(JOBS)

# Each target for FUZZ_SECONDS; what it finds lands in build-fuzz/found/NAME.
fuzz-run: fuzz
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/found/$$t; \
	  dict=""; [ -f fuzz/$$t.dict ] && dict="-dict=fuzz/$$t.dict"; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  $(SAN_ENV) $(FUZZ_BUILD)/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -malloc_limit_mb=1024 $$dict -artifact_prefix=$(FUZZ_BUILD)/found/$$t/ -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus/$$t fuzz/regress/$$t || exit 1; \
	done

# Every seed and every checked-in regression input once through its target; an input that
# fails is copied to build-fuzz/found/NAME (never into the source tree).
fuzz-replay: fuzz
	@for t in $(FUZZ_TARGETS); do \
	  echo "== replaying the corpus of fuzz_$$t"; \
	  mkdir -p $(FUZZ_BUILD)/found/$$t; \
	  $(SAN_ENV) $(FUZZ_BUILD)/bin/fuzz_$$t -runs=0 -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
	    -artifact_prefix=$(FUZZ_BUILD)/found/$$t/ $(FUZZ_BUILD)/corpus/$$t fuzz/regress/$$t || exit 1; \
	done

# The core tests under ASan and UBSan.
sanitize: deps
	@if [ ! -f $(SAN_BUILD)/build.ninja ]; then cmake -S . -B $(SAN_BUILD) -G Ninja $(CLANG_FLAGS); fi
	@cmake --build $(SAN_BUILD) --target $(SAN_TESTS) -j $(JOBS)
	@for t in $(SAN_TESTS); do echo "== $$t under ASan and UBSan"; \
	  (cd $(SAN_BUILD) && SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=offscreen $(SAN_ENV) bin/$$t --gtest_brief=1) || exit 1; done

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SAN_BUILD)
