# A newcomer's entry: `make run` and `make test`. CMake does the real work.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all configure build run test bench asan clean model format format-check windows

all: build

configure:
	@echo "== Configuring $(BUILD)/"
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

# Builds only what it runs: the carried study's simulator and the manager, not the tests.
run: configure
	@echo "== Building the carried study's simulator GPUS_STUDYSim and the manager simmgr (tests come with 'make test')"
	@cmake --build $(BUILD) -j $(JOBS) --target GPUS_STUDYSim simmgr -- --no-print-directory
	@echo "== Running: $(BUILD)/bin/simmgr --min-obs 1000 -- $(BUILD)/bin/GPUS_STUDYSim"
	@echo "   (one simulator per core, each with its own seed; the manager pools their observations)"
	@$(BUILD)/bin/simmgr --min-obs 1000 -- $(BUILD)/bin/GPUS_STUDYSim
	@echo "== token_game is exactly 4 in every replication (see README.md): the interval has width 0."

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench:
	@cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DKAVRIN_BENCH=ON >/dev/null
	@cmake --build build-release -j $(JOBS)
	@bash bench/run.sh build-release

asan:
	@$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DKAVRIN_SANITIZE=ON -DKAVRIN_BENCH=OFF"

# Every tracked C++ file in the style .clang-format describes (clang-format 14).
FORMAT_FILES = git ls-files -z '*.cpp' '*.h' '*.c'
format:
	@$(FORMAT_FILES) | xargs -0 clang-format -i

format-check:
	@$(FORMAT_FILES) | xargs -0 clang-format --dry-run --Werror && echo "== Format check: every C++ file is formatted"

# The tree cross-built for Windows with mingw-w64 (build-win/) and its tests under wine.
windows:
	@bash .ci/windows

# A simulator from a description kept anywhere: make model MODEL=path/to/model.yaml
model:
	@test -n "$(MODEL)" || { echo "usage: make model MODEL=path/to/model.yaml"; exit 1; }
	@cmake -S . -B build-models -DKAVRIN_FRAMEWORK_ONLY=ON -DKAVRIN_MODELS="$(abspath $(MODEL))" $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-models -j $(JOBS) -- --no-print-directory
	@echo "Simulators in build-models/bin/"

clean:
	rm -rf build build-release build-asan build-models build-win
