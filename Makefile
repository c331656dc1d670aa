# The two commands a newcomer needs: `make run` and `make test`.
BUILD   ?= build
PROGRAM := $(BUILD)/zorvu-timer
JOBS    ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(PROGRAM)/zorvu-timer

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@echo "Benchmarks are in $(BUILD)/bench/"

clean:
	rm -rf $(BUILD)
