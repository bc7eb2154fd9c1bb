# A newcomer's entry: `make run` and `make test`. CMake does the real work.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all configure build run test bench asan clean model

all: build

configure:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

run: build
	@if [ -x $(BUILD)/bin/simmgr ]; then \
	  $(BUILD)/bin/simmgr --min-obs 1000 -- $(BUILD)/bin/GPUS_STUDYSim; \
	else \
	  $(BUILD)/bin/GPUS_STUDYSim -N 3 -a $(BUILD)/out.csv && cat $(BUILD)/out.csv; \
	fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench:
	@cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-release -j $(JOBS)
	@bash bench/run.sh build-release

asan:
	@$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DKAVRIN_SANITIZE=ON -DKAVRIN_BENCH=OFF"

# A simulator from a description kept anywhere: make model MODEL=path/to/model.yaml
model:
	@test -n "$(MODEL)" || { echo "usage: make model MODEL=path/to/model.yaml"; exit 1; }
	@cmake -S . -B build-models -DKAVRIN_FRAMEWORK_ONLY=ON -DKAVRIN_MODELS="$(abspath $(MODEL))" $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-models -j $(JOBS) -- --no-print-directory
	@echo "Simulators in build-models/bin/"

clean:
	rm -rf build build-release build-asan build-models
