# Thin wrapper over the scripts and CMake presets.
.PHONY: setup build build-native build-windows test test-native test-windows demo bench fuzz fuzz-all clean

JOBS ?= 2
# Warnings are errors in CI only (CI=true), for the project's own code.
WERROR := $(if $(filter true,$(CI)),ON,OFF)

setup:
	tools/setup.sh

build-native:
	cmake --preset native -DQLRY_WERROR=$(WERROR) >/dev/null
	cmake --build --preset native -j $(JOBS)

build-windows:
	cmake --preset windows -DQLRY_WERROR=$(WERROR) >/dev/null
	cmake --build --preset windows -j $(JOBS)

build: setup build-native build-windows

test-native: build-native
	ctest --preset native -j $(JOBS)

test-windows: build-windows
	tools/wine/run-tests.sh build/windows

# Everything, from a fresh machine: packages, dependencies, both tiers.
test: setup
	$(MAKE) test-native
	$(MAKE) test-windows

demo: setup build-windows
	tools/demo.sh

bench:
	cmake --preset native-release >/dev/null
	cmake --build --preset native-release -j $(JOBS)
	for b in build/native-release/bin/bench_*; do $$b; done

fuzz:
	tools/fuzz.sh $(TARGET) $(FUZZ_SECONDS)

# Every target in turn, each for FUZZ_SECONDS; the corpora and the table in
# fuzz/README.md grow with each run.
FUZZ_SECONDS ?= 600
fuzz-all:
	for target in $$(sed -n 's/^qlry_add_fuzzer(\([a-z_0-9]*\).*/\1/p' fuzz/*.cmake); do \
	  tools/fuzz.sh $$target $(FUZZ_SECONDS) || exit 1; \
	done

clean:
	rm -rf build
