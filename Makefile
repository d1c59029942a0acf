# The two front doors: `make play` and `make test`. Each installs the Debian packages it lacks.

PRESET ?= default
BUILD_DIR := build/$(PRESET)

BUILD_PACKAGES := g++ make cmake freeglut3-dev libgl-dev libx11-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev libgmock-dev libxtst-dev xvfb
BENCH_PACKAGES := $(TEST_PACKAGES) libbenchmark-dev

.PHONY: play test build bench deps-build deps-test clean

play: deps-build build
	$(BUILD_DIR)/asteroids

test: deps-test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j
	ctest --preset $(PRESET)

# Figures, not a test: the rules' microbenchmarks, then the whole game under Xvfb in three paces.
bench:
	@scripts/install-deps $(BENCH_PACKAGES)
	cmake --preset bench
	cmake --build --preset bench -j2
	build/bench/bench/figures_tests
	build/bench/bench/rules_bench
	build/bench/bench/game_bench

build:
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j

deps-build:
	@scripts/install-deps $(BUILD_PACKAGES)

deps-test:
	@scripts/install-deps $(TEST_PACKAGES)

clean:
	rm -rf build
