# The front doors: `make play`, `make test` and `make package`. Each installs the Debian packages it lacks.

PRESET ?= default
BUILD_DIR := build/$(PRESET)

# The default preset compiles the tests too, so every build needs GoogleTest.
BUILD_PACKAGES := g++ make cmake freeglut3-dev libgl-dev libx11-dev librsvg2-bin libgtest-dev libgmock-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev libgmock-dev
# `make package` computes the package's dependencies with dpkg-shlibdeps, on the files that `file`
# finds to be programs; its test lints the package and starts the game on its own Xvfb.
PACKAGE_PACKAGES := $(BUILD_PACKAGES) dpkg-dev file
TEST_PACKAGES := $(sort $(TEST_PACKAGES) $(PACKAGE_PACKAGES) xvfb x11-utils desktop-file-utils lintian)

.PHONY: play test build deps-build deps-test clean

play: deps-build build
	$(BUILD_DIR)/asteroids

test: deps-test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j
	ctest --preset $(PRESET)

build:
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j

# A Debian package of the game, in $(BUILD_DIR).
.PHONY: package deps-package
package: deps-package build
	cmake --build --preset $(PRESET) --target package

deps-package:
	@scripts/install-deps $(PACKAGE_PACKAGES)

deps-build:
	@scripts/install-deps $(BUILD_PACKAGES)

deps-test:
	@scripts/install-deps $(TEST_PACKAGES)

clean:
	rm -rf build
