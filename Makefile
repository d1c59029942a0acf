# The front doors: `make play` and `make test`. Each installs the Debian packages it lacks.

# The tests' build; the game's own build, for players and packagers, leaves the tests out.
PRESET ?= default
BUILD_DIR := build/$(PRESET)
GAME_DIR := build/game
JOBS := $(shell nproc)
# The version, set in CMakeLists.txt alone, that every download's name carries.
VERSION := $(shell sed -n 's/^project.asteroids VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# Packages take their times from the commit's date, not the clock: CPack, the Windows strip and
# scripts/zip-folder read it, as reproducible-builds.org has every build tool agree to.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null)
endif
ifdef SOURCE_DATE_EPOCH
export SOURCE_DATE_EPOCH
endif

# What the game alone is built with: freeglut for its window, SDL2 for its game pads, and the fonts
# its letters are drawn from (cmake/Letters.cmake): GLUT's in freeglut's source package, which
# FETCH_FONTS fetches with apt-get source (dpkg-dev, and Debian's keyring to check it where the
# system is not Debian), and TeX Gyre Heros, read with python3-fonttools.
BUILD_PACKAGES := g++ make cmake freeglut3-dev libgl-dev libx11-dev libsdl2-dev librsvg2-bin dpkg-dev \
	debian-archive-keyring python3 python3-fonttools fonts-texgyre
FETCH_FONTS := scripts/debian-source freeglut >/dev/null
# `make package` computes the package's dependencies with dpkg-shlibdeps, on the files that `file`
# finds to be programs.
PACKAGE_PACKAGES := $(BUILD_PACKAGES) dpkg-dev file
# The tests' build, and the display tests on Xvfb (xvfb-run, which needs xauth) with Mesa's software
# renderer.
CHECK_PACKAGES := $(BUILD_PACKAGES) libgtest-dev libgmock-dev libxtst-dev libxdamage-dev xvfb xauth libgl1-mesa-dri
# The package's test also lints the package and looks for its window with xwininfo; `make lint`
# runs the formatter and two static analysers, over the benchmarks' code too; the build-matrix check
# builds the rules with Clang, for ARM64, run under qemu, and for the browser with Emscripten, run
# under Node (WEB_PACKAGES), and checks them against the rules written in Python.
TEST_PACKAGES := $(sort $(CHECK_PACKAGES) $(PACKAGE_PACKAGES) x11-utils desktop-file-utils lintian \
	libbenchmark-dev clang-format clang-tidy cppcheck clang g++-aarch64-linux-gnu qemu-user python3)
SCREENSHOT_PACKAGES := $(BUILD_PACKAGES) xvfb xauth xdotool imagemagick x11-xserver-utils
BENCH_PACKAGES := $(CHECK_PACKAGES) libbenchmark-dev

# Windows: cross-built with mingw-w64 against freeglut and SDL2 built from Debian's source packages
# (apt-get source needs dpkg-dev, and Debian's keyring to check them where the system is not Debian)
# and GoogleTest from Debian's sources, the icon rendered from the SVG and packed with icotool; Wine runs
# the tests, NSIS makes the installer and zip the .zip.
WINDOWS_PACKAGES := make cmake g++-mingw-w64-x86-64-posix dpkg-dev debian-archive-keyring googletest \
	librsvg2-bin icoutils wine64
WINDOWS_PACKAGE_PACKAGES := $(WINDOWS_PACKAGES) nsis zip
# The browser: Debian's Emscripten builds the page into build/web, with its letters taken from the
# fonts as the game's are, and the icons for installing it rendered with rsvg-convert; python3
# serves it for `make web-serve`.
WEB_PACKAGES := make cmake emscripten dpkg-dev debian-archive-keyring librsvg2-bin python3 python3-fonttools \
	fonts-texgyre
# The page's tests and benchmark drive the three browser engines Debian ships: Chromium and
# Firefox with puppeteer-core, which npm installs as tests/support/package-lock.json pins it, and
# WebKitGTK's MiniBrowser through WebKitWebDriver. Firefox and WebKit open their windows on Xvfb.
BROWSER_PACKAGES := chromium firefox-esr webkit2gtk-driver
TEST_PACKAGES += $(WEB_PACKAGES) $(BROWSER_PACKAGES)
BROWSER_DRIVER := tests/support/node_modules/.package-lock.json

# `make test` runs the Windows build's tests too, the installer's among them, validates the
# Debian package's AppStream metadata, and has diffoscope (the small package, without the tools
# for every format it could read; zipinfo for the .zip) say where two builds of a download differ.
TEST_PACKAGES += $(WINDOWS_PACKAGE_PACKAGES) appstream diffoscope-minimal unzip

.PHONY: play test check build game screenshot bench lint sanitize matrix reproducible soak front-doors deps-build \
	deps-test clean

play: deps-build game
	$(GAME_DIR)/asteroids

# The Windows build's own tests run under Wine; the Linux build's display tests drive its game, the
# Windows game and the page in every browser engine, and test the downloads, which are then built
# again elsewhere to be the same.
test: deps-test downloads $(BROWSER_DRIVER)
	cmake --preset $(PRESET) -DASTEROIDS_WINDOWS_GAME=$(CURDIR)/build/windows/asteroids.exe \
		-DASTEROIDS_PAGE=$(CURDIR)/build/web -DASTEROIDS_DOWNLOADS=$(CURDIR)/$(DOWNLOADS_DIR)
	cmake --build --preset $(PRESET) -j $(JOBS)
	ctest --preset windows
	ctest --preset $(PRESET)
	@$(MAKE) --no-print-directory lint sanitize matrix
	scripts/check-reproducible $(DOWNLOADS_DIR)

# The quick tier, for contributors: the Linux game's rules and display tests, without the
# package, the Windows build, the soak and the robustness checks that `make test` adds.
check:
	@scripts/install-deps $(CHECK_PACKAGES)
	@$(MAKE) --no-print-directory build
	ctest --preset check

# The README's commands, one after another, in a minimal Debian 12 root made for the purpose, with
# only what each installs itself. CI runs a player's two, within its time; FRONT_DOORS="play test
# web release ..." chooses others.
FRONT_DOORS ?= play package
front-doors:
	@scripts/install-deps mmdebstrap
	tests/front_doors.sh $(FRONT_DOORS)

# The format, clang-tidy and cppcheck, over the code of the tests' build, the benchmarks (configured
# only, for the files and flags), the Windows build and the page.
lint: deps-test build windows web
	cmake --preset bench >/dev/null
	scripts/lint $(BUILD_DIR) build/bench build/windows build/web-build

# The rules built with other compilers, optimisations and processors replay the same sessions to
# the same worlds, which are the ones the rules written in Python give.
matrix: deps-test build
	scripts/build-matrix $(BUILD_DIR)/tests/replay_sessions

# Every download built again in a copy of the tree in another folder, later, with another umask,
# time zone and locale, must be the same, byte for byte.
reproducible: deps-test downloads
	scripts/check-reproducible $(DOWNLOADS_DIR)

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps-test
	$(FETCH_FONTS)
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize

# The real game under storms of random keys for SOAK_MINUTES minutes.
SOAK_MINUTES ?= 10
soak: deps-test build
	ASTEROIDS_SOAK_SECONDS=$$(( $(SOAK_MINUTES) * 60 )) xvfb-run -a -s '-screen 0 1280x1024x24' \
		$(BUILD_DIR)/tests/program_tests --gtest_filter=Program.ComesThroughStormsOfKeys

# Figures, not a test: the rules' microbenchmarks, then the game under Xvfb in three paces, on paced
# displays and on screens scaled up to twice (which the larger screen holds), and the Windows build
# under Wine, then the page in each browser engine beside a page that only clears its canvas.
bench: windows web $(BROWSER_DRIVER)
	@scripts/install-deps $(BENCH_PACKAGES) $(BROWSER_PACKAGES)
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	build/bench/bench/rules_bench
	xvfb-run -a -s '-screen 0 1600x1400x24' build/bench/bench/game_bench
	xvfb-run -a -s '-screen 0 1280x1024x24' node bench/web_bench.mjs build/web

build:
	$(FETCH_FONTS)
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j $(JOBS)

game:
	$(FETCH_FONTS)
	cmake --preset game
	cmake --build --preset game -j $(JOBS)

# build/windows/asteroids.exe, with freeglut and SDL2 built once into build/windows-deps.
.PHONY: windows windows-package
windows:
	@scripts/install-deps $(WINDOWS_PACKAGES)
	scripts/windows-deps build/windows-deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

# The page, in build/web: index.html and what it loads, for any static host as it is.
.PHONY: web web-serve
web:
	@scripts/install-deps $(WEB_PACKAGES)
	$(FETCH_FONTS)
	cmake --preset web
	cmake --build --preset web -j $(JOBS)

# The page served on this machine alone, as a static host would serve it.
WEB_PORT ?= 8720
web-serve: web
	@echo "The game is at http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C ends the server)"
	python3 -m http.server --bind 127.0.0.1 --directory build/web $(WEB_PORT)

$(BROWSER_DRIVER): tests/support/package-lock.json
	@command -v npm >/dev/null || scripts/install-deps npm
	npm ci --prefix tests/support --no-audit --no-fund

# The Windows installer and the portable .zip, in build/windows.
windows-package: windows
	@scripts/install-deps $(WINDOWS_PACKAGE_PACKAGES)
	cmake --build --preset windows --target package

# The README's pictures, from real runs of the game: on a screen of 96 dots per inch, and of 192,
# where xrdb sets Xft.dpi and the window opens at twice its size.
screenshot:
	@scripts/install-deps $(SCREENSHOT_PACKAGES)
	@$(MAKE) --no-print-directory game
	xvfb-run -a -s '-screen 0 1280x1024x24' scripts/screenshot $(GAME_DIR)/asteroids docs/screenshot.png
	xvfb-run -a -s '-noreset -screen 0 1600x1400x24' scripts/screenshot $(GAME_DIR)/asteroids docs/screenshot-2x.png 192

# A Debian package of the game, in $(GAME_DIR), the only one there. CPack gives the archives in it
# the permissions of the umask, which is 022 as when dpkg-buildpackage makes a package.
.PHONY: package deps-package
package: deps-package game
	rm -f $(GAME_DIR)/*.deb
	umask 022 && cmake --build --preset game --target package

# The downloads, each made into $(DOWNLOADS_DIR) by a target of this list; a new kind of download
# is one more target here, and `make release` and `make reproducible` build it with the others.
DOWNLOADS := download-deb download-windows download-web
DOWNLOADS_DIR ?= build/downloads
.PHONY: downloads $(DOWNLOADS) release
downloads:
	rm -rf $(DOWNLOADS_DIR)
	mkdir -p $(DOWNLOADS_DIR)
	@$(MAKE) --no-print-directory $(DOWNLOADS)

download-deb: package
	cp $(GAME_DIR)/asteroids_$(VERSION)-*.deb $(DOWNLOADS_DIR)/

download-windows: windows-package
	cp build/windows/asteroids-$(VERSION)-win64.exe build/windows/asteroids-$(VERSION)-win64.zip $(DOWNLOADS_DIR)/

download-web: web
	@scripts/install-deps zip
	scripts/zip-folder build/web $(DOWNLOADS_DIR)/asteroids-$(VERSION)-web.zip

# A release of the commit checked out, in build/release: every download, built in a fresh clone of
# it, the source archive, and their SHA256SUMS.
release:
	scripts/release build/release

deps-package:
	@scripts/install-deps $(PACKAGE_PACKAGES)

deps-build:
	@scripts/install-deps $(BUILD_PACKAGES)

deps-test:
	@scripts/install-deps $(TEST_PACKAGES)

clean:
	rm -rf build
