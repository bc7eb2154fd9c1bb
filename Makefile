# A newcomer's entry: `make run` and `make test`. CMake does the real work.
BUILD ?= build
comma := ,
empty :=
space := $(empty) $(empty)
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
# The Debian packages an entry needs, installed when missing (as root) or named with the command.
PREREQUISITES = bash tools/prerequisites.sh

.PHONY: all configure build run test bench asan clean model install format format-check windows

all: build

configure:
	@echo "== Configuring $(BUILD)/"
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

# Builds only what it runs and what the README runs next: the carried study's simulator, the example
# simulators and the manager, not the tests.
run:
	@$(PREREQUISITES) run
	@$(MAKE) --no-print-directory configure
	@echo "== Building the carried study's simulator GPUS_STUDYSim, the example simulators and the manager simmgr (tests come with 'make test')"
	@cmake --build $(BUILD) -j $(JOBS) --target GPUS_STUDYSim kavrin_examples simmgr kavrin_python -- --no-print-directory
	@echo "== Running: $(BUILD)/bin/simmgr --min-obs 1000 -- $(BUILD)/bin/GPUS_STUDYSim"
	@echo "   (one simulator per core, each with its own seed; the manager pools their observations)"
	@$(BUILD)/bin/simmgr --min-obs 1000 -- $(BUILD)/bin/GPUS_STUDYSim
	@echo "== token_game is exactly 4 in every replication (see README.md): the interval has width 0."

test:
	@$(PREREQUISITES) test
	@$(MAKE) --no-print-directory build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# Three Release trees measured on the same work: plain (no link-time optimisation), the default
# (link-time optimisation), and link-time plus profile-guided optimisation, then side by side.
BENCH_FLAGS = -DCMAKE_BUILD_TYPE=Release -DKAVRIN_BENCH=ON -DKAVRIN_TESTS=OFF
bench:
	@$(PREREQUISITES) bench
	@echo "== Building build-release-plain/ (no link-time optimisation)"
	@cmake -S . -B build-release-plain $(BENCH_FLAGS) -DKAVRIN_LTO=OFF >/dev/null
	@cmake --build build-release-plain -j $(JOBS) -- --no-print-directory >/dev/null
	@echo "== Building build-release/ (link-time optimisation, the default)"
	@cmake -S . -B build-release $(BENCH_FLAGS) >/dev/null
	@cmake --build build-release -j $(JOBS) -- --no-print-directory >/dev/null
	@echo "== Building build-release-pgo/ (link-time and profile-guided optimisation)"
	@cmake -DSOURCE=$(CURDIR) -DBUILD=$(CURDIR)/build-release-pgo -DJOBS=$(JOBS) \
	  "-DCMAKE_ARGS=$(BENCH_FLAGS)" -P cmake/KavrinPgoBuild.cmake >build-release-pgo.log
	@bash bench/run.sh build-release-plain >/dev/null
	@bash bench/run.sh build-release >/dev/null
	@bash bench/run.sh build-release-pgo
	@echo
	@bash bench/compare.sh plain=build-release-plain lto=build-release lto+pgo=build-release-pgo
	@cmake --build build-release -j $(JOBS) --target kavrin_package -- --no-print-directory >/dev/null
	@bash bench/build_time.sh build-release

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

# Simulators from descriptions kept anywhere: make model MODEL=path/to/model.yaml[,other.yaml]
# The framework, sangen and simmgr come from $(BUILD) (built there first when missing); the
# simulators, their files and a link to simmgr go to build-models/.
model:
	@test -n "$(MODEL)" || { echo "usage: make model MODEL=path/to/model.yaml[,other.yaml]"; exit 1; }
	@$(PREREQUISITES) run
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j $(JOBS) --target kavrin_package -- --no-print-directory
	@# A build-models/ of an older layout (configured from the repository itself) is replaced.
	@if grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$(CURDIR)" build-models/CMakeCache.txt 2>/dev/null; then rm -rf build-models; fi
	@cmake -S cmake/ModelProject -B build-models -DKavrin_DIR=$(abspath $(BUILD)) \
	  "-DKAVRIN_MODELS=$(subst $(space),;,$(strip $(foreach m,$(subst $(comma), ,$(MODEL)),$(abspath $(m)))))" $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-models -j $(JOBS) -- --no-print-directory
	@echo "== Simulators in build-models/ (run a study: build-models/simmgr -- build-models/<simulator>)"

# sangen, simmgr, the framework library and headers, the CMake package (find_package(Kavrin)) and
# the documentation, into PREFIX (/usr/local; DESTDIR is honoured).
install:
	@$(PREREQUISITES) run
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j $(JOBS) --target kavrin_package -- --no-print-directory
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf build build-release build-release-plain build-release-pgo build-release-pgo.log build-asan build-models build-win
