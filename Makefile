# Convenience wrapper around CMake/CTest.
#   make example   build the analysis programs only, then run the analysis on
#                  the bundled example project
#   make test      build, then run the whole test suite
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# Compiler cache, when the machine has one: rebuilds of unchanged sources are free.
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all build configure test example clean bench

all: build

configure:
	@bash tools/bootstrap.sh
	cmake -S . -B $(BUILD) $(LAUNCHER) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The example needs the analysis program and the post-processing library it
# loads, not the test programs or the benchmarks.
example: configure
	cmake --build $(BUILD) -j $(JOBS) --target voskara_console
	rm -rf $(BUILD)/example-run
	cp -r examples/qtl $(BUILD)/example-run
	$(BUILD)/bin/voskara_console -d $(BUILD)/example-run

bench: build
	for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD)
