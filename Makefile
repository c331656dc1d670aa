# The two commands a newcomer needs: `make run` and `make test`.
BUILD   ?= build
PROGRAM := $(BUILD)/zorvu-timer
JOBS    ?= $(shell nproc)
# ccache, where installed, makes rebuilds of other checkouts cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build run test test-sanitized fuzz package bench clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(PROGRAM)/zorvu-timer

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The .deb, in $(BUILD)/: `sudo apt install ./$(BUILD)/zorvu-timer_*.deb`
package: build
	cd $(BUILD) && cpack

# The unit and widget tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer; the first report fails the test.
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
test-sanitized: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVU_ONLY_UNIT_TESTS=ON \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" $(LAUNCHER)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS from the seed corpus in tests/fuzz/corpus,
# printing the inputs tried and the crashes found; a crash's input is kept in
# build-fuzz/fuzz/TARGET/. Temporary files go to memory: the INI target saves,
# with an fsync, on every input.
FUZZ_SECONDS ?= 60
fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVU_FUZZ=ON \
	  -DZORVU_ONLY_UNIT_TESTS=ON $(LAUNCHER) \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	@failed=0; for t in ini convert wave; do \
	  w=build-fuzz/fuzz/$$t; mkdir -p $$w/corpus; \
	  TMPDIR=/dev/shm build-fuzz/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$$w/ $$w/corpus tests/fuzz/corpus/$$t >$$w/log 2>&1 || { failed=1; tail -n 30 $$w/log; }; \
	  echo "fuzz_$$t: $$(sed -n 's/^stat::number_of_executed_units: *//p' $$w/log) executions," \
	    "$$(ls $$w | grep -cE '^(crash|leak|timeout|oom)-') crashes"; \
	done; exit $$failed

# The tick timer against the old re-armed timer (2 minutes), the time from a
# tick to its sound through a private sound server (about 3.5 minutes), then
# times.ini reads and the start-up with a large times.ini (half a minute), the
# start-up against a bare Qt window (half a minute), and a tick to the web page, with
# and without 100 more pages open (three minutes).
bench: build
	$(BUILD)/bench/clock/clock-bench --seconds 120
	$(BUILD)/bench/clock/clock-bench --seconds 120 --work 30
	cmake --build $(BUILD) --target bench_sound
	cmake --build $(BUILD) --target bench_ini
	cmake --build $(BUILD) --target bench_startup
	cmake --build $(BUILD) --target bench_web

clean:
	rm -rf $(BUILD) build-asan build-fuzz
