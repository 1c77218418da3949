# Wrapper over CMake + Ninja.
#   make test    install dependencies, build with ASan + UBSan (clang), run every test through ctest
#   make test-release  optimised build without sanitisers, each test binary run whole (all its
#                tests in one process, in order), so optimisation- and order-dependent faults show
#   make test-tsan   build with ThreadSanitizer in its own folder and run every test (not in CI)
#   make bench   optimised build, run every benchmark
#   make fuzz    build the fuzz targets with clang's libFuzzer and run each for FUZZ_SECONDS
#   make fuzz-smoke  (CI) link the fuzz targets with libFuzzer over the sanitizer build's
#                libraries and run each for FUZZ_SMOKE_SECONDS, so the targets keep working
#   make run     build the client and the sample service, run the client against it
#                (ARGS="--headless --snapshot DIR --quit-after SECONDS" for a run without a window)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 3
ASAN_BUILD := build/asan
REL_BUILD := build/release
REL_TEST_BUILD := build/release-tests
FUZZ_BUILD := build/fuzz
FUZZ_TARGETS := $(patsubst fuzz/%.cpp,fuzz_%,$(wildcard fuzz/*.cpp))
TSAN_BUILD := build/tsan

# intercept_tls_get_addr=0: the runtime's hook on __tls_get_addr takes any dynamic TLS block that
# starts 16 bytes past a 4 KiB boundary for glibc's own layout and reads its size and start from
# the 16 bytes in front of it, which under ASan are the allocator's chunk header; the leak check
# at exit then scans that garbage range and its tracer crashes ("Tracer caught signal 11").
# Mesa's software rasteriser (libLLVM, loaded with the GL driver) puts such a block on the main
# thread often enough to fail a windowed test's exit by luck. Without the hook the block is still
# a heap chunk reached from the thread's DTV, so what it points to is still reached and a block
# that nothing reaches is still reported.
export ASAN_OPTIONS := halt_on_error=1:detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS := halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS := suppressions=$(CURDIR)/scripts/lsan.supp

.PHONY: deps test build-test test-release test-tsan bench fuzz fuzz-smoke run clean

deps:
	bash scripts/install-deps.sh

# The sanitizer build is clang's: its libraries also serve the fuzz smoke's targets, so CI
# compiles them once for both. A folder configured earlier with another compiler is made anew.
ASAN_CXX := $(shell sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' $(ASAN_BUILD)/CMakeCache.txt 2> /dev/null)
ifneq ($(ASAN_CXX),)
ifeq ($(findstring clang,$(notdir $(ASAN_CXX))),)
$(info $(ASAN_BUILD) was configured with $(ASAN_CXX); configuring it anew with clang)
$(shell rm -rf $(ASAN_BUILD))
endif
endif

$(ASAN_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DZU_SANITIZE=ON -DZU_TESTS=ON

build-test: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Runs `ctest $(2)` in build folder $(1), then says how many tests were skipped and why, passed
# or not: every test binary and test script notes its skips in $(1)/skipped-tests.txt
# (SkippedTestLog; the scripts' skip lines), whether ctest runs it a test at a time or whole.
define run-ctest
	@cd $(1) && rm -f skipped-tests.txt && status=0 && \
	  { ZU_SKIPPED_LOG="$(CURDIR)/$(1)/skipped-tests.txt" ctest $(2) || status=$$?; } && \
	  skipped=$$(sort -u skipped-tests.txt 2> /dev/null || true) && \
	  echo "== skipped tests: $$(printf '%s' "$$skipped" | grep -c .)" && \
	  { [ -z "$$skipped" ] || printf '%s\n' "$$skipped" | sed 's/^/   /'; } && \
	  exit $$status
endef

test: build-test
	$(call run-ctest,$(ASAN_BUILD),--output-on-failure -j $(JOBS) --timeout 300)

$(REL_TEST_BUILD)/build.ninja: | deps
	cmake -S . -B $(REL_TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZU_TESTS=ON \
	  -DZU_TESTS_WHOLE_BINARIES=ON

test-release: deps $(REL_TEST_BUILD)/build.ninja
	cmake --build $(REL_TEST_BUILD) -j $(JOBS)
	$(call run-ctest,$(REL_TEST_BUILD),--output-on-failure -j $(JOBS) --timeout 900)

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZU_TSAN=ON -DZU_TESTS=ON

# Every report fails the test that made it; the suppressions file names the few reports that
# are not ours, each with its reason. Libraries that are not instrumented (GStreamer and GLib
# under the movie player, among others) are black boxes: what their own code reads and writes
# through the C library is not checked (ignore_noninstrumented_modules), while their locks
# still order ours. A suppression by library name would also hide races in our code whenever
# that library is on a stack, as it is under every GStreamer and GLib callback.
test-tsan: export TSAN_OPTIONS := halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$(CURDIR)/scripts/tsan.supp
test-tsan: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	$(call run-ctest,$(TSAN_BUILD),--output-on-failure -j $(JOBS) --timeout 900)

$(REL_BUILD)/build.ninja: | deps
	cmake -S . -B $(REL_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZU_TESTS=OFF -DZU_BENCH=ON

bench: deps $(REL_BUILD)/build.ninja
	cmake --build $(REL_BUILD) -j $(JOBS)
	@set -e; for b in $(REL_BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZU_FUZZ=ON -DZU_TESTS=OFF

# Runs every fuzz target of build folder $(1) for $(2) seconds over its seed corpus and the
# corpus it grew before (in $(1)/corpus); a crash, leak or timeout stops the run with its input.
define run-fuzz-targets
	@set -e; for f in $(1)/fuzz/fuzz_*; do \
	  name=$$(basename $$f); name=$${name#fuzz_}; \
	  mkdir -p $(1)/corpus/$$name; \
	  echo "== $$name"; \
	  $$f -max_total_time=$(2) -timeout=10 -rss_limit_mb=2048 \
	     $(1)/corpus/$$name fuzz/corpus/$$name; \
	done
endef

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	$(call run-fuzz-targets,$(FUZZ_BUILD),$(FUZZ_SECONDS))

# The targets linked with libFuzzer over the sanitizer test build's libraries (AddressSanitizer
# and UndefinedBehaviorSanitizer, as the tests run), so nothing is compiled again but the
# targets' own files; each runs a few seconds over its corpus.
fuzz-smoke: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	$(call run-fuzz-targets,$(ASAN_BUILD),$(FUZZ_SMOKE_SECONDS))

run: deps $(REL_BUILD)/build.ninja
	cmake --build $(REL_BUILD) -j $(JOBS) --target zureader zu-sample-service
	bash scripts/run-sample.sh $(REL_BUILD) $(ARGS)

clean:
	rm -rf build
