# The two commands a newcomer needs: `make run` and `make test`.
BUILD   ?= build
PROGRAM := $(BUILD)/zorvu-timer
JOBS    ?= $(shell nproc)
# ccache, where installed, makes rebuilds of other checkouts cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build run test package bench clean

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

# The tick timer against the old re-armed timer (2 minutes), the time from a
# tick to its sound through a private sound server (about 2.5 minutes), then
# times.ini reads and the start-up with a large times.ini (half a minute).
bench: build
	$(BUILD)/bench/clock/clock-bench --seconds 120
	$(BUILD)/bench/clock/clock-bench --seconds 120 --work 30
	cmake --build $(BUILD) --target bench_sound
	cmake --build $(BUILD) --target bench_ini

clean:
	rm -rf $(BUILD)
