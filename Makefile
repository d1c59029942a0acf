# The two front doors: `make play` and `make test`. Each installs the Debian packages it lacks.

PRESET ?= default
BUILD_DIR := build/$(PRESET)

BUILD_PACKAGES := g++ make cmake freeglut3-dev libgl-dev libx11-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev libgmock-dev libxtst-dev xvfb
SCREENSHOT_PACKAGES := $(BUILD_PACKAGES) xvfb xdotool imagemagick

.PHONY: play test build screenshot deps-build deps-test clean

play: deps-build build
	$(BUILD_DIR)/asteroids

test: deps-test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j
	ctest --preset $(PRESET)

build:
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j

# The README's picture, from a real run of the game.
screenshot: build
	@scripts/install-deps $(SCREENSHOT_PACKAGES)
	scripts/screenshot $(BUILD_DIR)/asteroids docs/screenshot.png

deps-build:
	@scripts/install-deps $(BUILD_PACKAGES)

deps-test:
	@scripts/install-deps $(TEST_PACKAGES)

clean:
	rm -rf build
