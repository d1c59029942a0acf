# The two front doors: `make play` and `make test`. Each installs the Debian packages it lacks.

PRESET ?= default
BUILD_DIR := build/$(PRESET)

BUILD_PACKAGES := g++ make cmake freeglut3-dev libgl-dev libx11-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev libgmock-dev libxtst-dev xvfb \
	libxdamage-dev libgl1-mesa-dri clang-format clang-tidy cppcheck

.PHONY: play test build deps-build deps-test clean lint sanitize soak

play: deps-build build
	$(BUILD_DIR)/asteroids

test: deps-test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j
	ctest --preset $(PRESET)
	@$(MAKE) --no-print-directory lint sanitize

# The format, clang-tidy and cppcheck.
lint: deps-test build
	scripts/lint $(BUILD_DIR)

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps-test
	cmake --preset sanitize
	cmake --build --preset sanitize -j2
	ctest --preset sanitize

# The real game under storms of random keys for SOAK_MINUTES minutes.
SOAK_MINUTES ?= 10
soak: deps-test build
	$(BUILD_DIR)/tests/soak --seconds $$(( $(SOAK_MINUTES) * 60 ))

build:
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j

deps-build:
	@scripts/install-deps $(BUILD_PACKAGES)

deps-test:
	@scripts/install-deps $(TEST_PACKAGES)

clean:
	rm -rf build
