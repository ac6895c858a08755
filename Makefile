# Tervalo's build and checks. Every target installs the Debian packages it
# needs that this machine lacks (scripts/install-deps.sh), builds through
# the CMake presets of CMakePresets.json, which own the build folders and
# settings (cmake --workflow --preset NAME configures, builds and tests; an
# IDE reads them too), and leaves the rest to scripts/. CI runs .ci/run.
#
#   make run            build and open the window
#   make test           build and run the tests
#   make build          build the program and its tests (preset default)
#   make deps           install the packages that building needs
#   make format         lay out every C++ file as .clang-format says
#   make format-check   only check that layout
#   make lint           shellcheck and pyflakes on every script, the release's files against the release check
#   make images-check   draw the images anew and compare them with assets/
#   make bench          the timings of bench/ in Release
#   make bench-startup  the start-up time and memory of the window against a minimal Qt window
#   make sanitize       the tests and the window under AddressSanitizer and UndefinedBehaviorSanitizer
#   make fuzz           FUZZ_SECONDS of libFuzzer on the locator arithmetic
#   make package        the Debian package, into PACKAGE_BUILD
#   make package-check  that package linted, installed, tested as installed (X11, Wayland) and purged
#   make test-arm64     the arm64 build's tests under qemu, and its numbers against this machine's
#   make package-arm64  the arm64 Debian package, cross-built and linted
#   make windows-qt     Qt for Windows, built once in Debian 13 and kept in ~/.cache/tervalo
#   make windows        the Windows zip and installer, into WINDOWS_BUILD
#   make windows-check  the Windows build's tests, numbers and installer under Wine
#   make windows-qt-clean  delete Qt for Windows
#   make web-qt         Qt for WebAssembly, built once in Debian 13 and kept in ~/.cache/tervalo
#   make web            the site that runs the program in a browser, into WEB_BUILD/site
#   make web-check      the web build's tests, numbers and page in Chromium, WebKitGTK and Firefox ESR
#   make web-qt-clean   delete Qt for WebAssembly
#   make release        the release's files and their SHA256SUMS, into RELEASE_DIST
#   make release-check  the release made twice by reprotest and compared, rebuilt as a Debian maintainer would
#   make fresh-check    a clean clone of REF checked with CHECK on fresh Debian SUITEs (mmdebstrap)
#   make clean          delete every build folder
#   make                the same as make build
#
# Each target's notes stand above it. JOBS is how many jobs every build and
# test run takes, here and in the scripts (through CMake's and CTest's own
# variables, and JOBS itself for the Debian builds). The folders named below
# are the presets', for running what they built.
BUILD := build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
export JOBS
export CMAKE_BUILD_PARALLEL_LEVEL := $(JOBS)
export CTEST_PARALLEL_LEVEL := $(JOBS)

.PHONY: all deps build run test format format-check lint images-check bench bench-startup sanitize fuzz \
	package package-check test-arm64 package-arm64 windows-qt windows windows-check windows-qt-clean \
	web-qt web web-check web-qt-clean release release-check fresh-check clean

all: build

deps:
	@scripts/install-deps.sh build

build: deps
	cmake --preset default
	cmake --build --preset default

test: deps
	cmake --workflow --preset default

# One layout for every C++ file, as .clang-format describes it.
CXX_SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null || find geodesy window tests bench fuzz tools -name '*.cpp' -o -name '*.h')

format:
	@scripts/install-deps.sh format
	clang-format -i $(CXX_SOURCES)

format-check:
	@scripts/install-deps.sh format
	clang-format --dry-run -Werror $(CXX_SOURCES)

# Every shell script (each file whose first line names sh or bash, and the
# sourced ones in scripts/lib) through shellcheck, with no finding at any
# severity; a finding may be silenced only by a directive with its reason.
# The Python scripts and modules through pyflakes. Then every file of the
# release against what release-check checks of it (scripts/release-check.sh
# --plan).
lint:
	@scripts/install-deps.sh lint
	scripts/lint.sh
	scripts/release-check.sh --plan

# The committed images against a fresh run of tools/imagegen, which draws every
# one of them into a temporary folder; pictures are compared by their decoded
# pixels, since PNG and ICO bytes depend on the zlib and icoutils versions.
# The generator is a project of its own, whose preset imagegen
# (tools/imagegen/CMakePresets.json) names the folder.
IMAGES_BUILD := build-imagegen

images-check:
	@scripts/install-deps.sh images
	cmake -S tools/imagegen --preset imagegen
	cd tools/imagegen && cmake --build --preset imagegen
	$(IMAGES_BUILD)/imagegen --check assets

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open." >&2; \
	    exit 1; \
	fi
	$(BUILD)/window/tervalo

# The timings of bench/, built in Release by the preset bench.
BENCH_BUILD := build-bench

bench:
	@scripts/install-deps.sh bench
	cmake --workflow --preset bench
	$(BENCH_BUILD)/bench/bench_geodesy
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/bench_typing -iterations 2000
	for mb in 1 10 50; do for box in bare Text3 Text5; do \
	    QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/bench_paste $$box $$mb || exit 1; \
	done; done

# Time from exec to the window being mapped, and peak resident memory, of the
# program against a minimal Qt Widgets window built alongside it in Release,
# under Xvfb; medians of STARTUP_RUNS runs each. The timed builds are a
# project of their own, whose preset bench-startup
# (bench/startup/CMakePresets.json) names the folder.
STARTUP_BUILD := build-startup
STARTUP_RUNS ?= 15

bench-startup:
	@scripts/install-deps.sh bench
	cd bench/startup && cmake --workflow --preset bench-startup
	bench/startup/run.sh $(STARTUP_BUILD) $(STARTUP_RUNS)

# The whole project and its tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Every report is fatal and prints its stack;
# leaks are checked at the exit of every test program and of the program
# itself, opened in a virtual X server and closed by "Esci". Leaks made
# inside system libraries that never call the program's code are suppressed
# by scripts/lsan.supp, which says why for each line. The options are built
# into the programs (cmake/sanitizer_defaults.cpp). The preset sanitize
# names the folder.
SANITIZE_BUILD := build-sanitize

sanitize: deps
	@scripts/install-deps.sh screen
	cmake --workflow --preset sanitize
	scripts/sanitize-window.sh $(SANITIZE_BUILD)

# libFuzzer run of the locator arithmetic for FUZZ_SECONDS seconds, built by
# the preset fuzz, which names the folder, the compiler (Clang), the target
# and its flags (-DTERVALO_FUZZ=ON, -O1 with debug information). The
# committed seeds in fuzz/corpus are only read; what the
# fuzzer finds is kept in the build folder, and a failing input is saved there
# as crash-*, replayed by `$(FUZZ_BUILD)/fuzz_geodesy $(FUZZ_BUILD)/crash-...`.
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 60

fuzz:
	@scripts/install-deps.sh fuzz
	cmake --workflow --preset fuzz
	mkdir -p $(FUZZ_BUILD)/corpus
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	$(FUZZ_BUILD)/fuzz_geodesy -max_total_time=$(FUZZ_SECONDS) -max_len=8192 -timeout=5 \
	    -dict=fuzz/locator.dict -artifact_prefix=$(FUZZ_BUILD)/ -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus fuzz/corpus

# The Debian package, built by Debian's own tools from a copy of the tree;
# every file of the build lands in PACKAGE_BUILD. `make package-check` then
# lints it, installs it, runs its as-installed tests (debian/tests, under
# Xvfb and under a headless Wayland compositor) with autopkgtest and purges
# it again; it installs packages, so it needs root or sudo.
PACKAGE_BUILD ?= build-package

package:
	@scripts/install-deps.sh package
	scripts/package.sh $(PACKAGE_BUILD)

package-check: package
	scripts/package-check.sh $(PACKAGE_BUILD)

# Windows x86-64, cross-built with MinGW-w64: Qt for Windows and the
# program are built in Debian 13, from its own qt6-base source, as the web
# version is (scripts/debian13-run.sh; off Debian 13 it needs root), so that
# the downloads are the same whatever Debian makes them; the zip and the
# installer are made here (scripts/windows-package.sh), and tested under
# this machine's Wine (scripts/windows-check.sh). Qt for Windows is kept
# outside the checkout (`scripts/qt-build.sh windows --prefix` says where):
# `make clean` leaves it.
WINDOWS_BUILD ?= build-windows

windows-qt:
	@scripts/install-deps.sh windows
	scripts/debian13-run.sh scripts/install-deps.sh windows
	scripts/debian13-run.sh scripts/qt-build.sh windows

# WINDOWS_SIGN_PKCS12=FILE WINDOWS_SIGN_PASSWORD_FILE=FILE (and optionally
# WINDOWS_SIGN_TIMESTAMP_URL=URL) sign the program, the installer and its
# uninstaller (scripts/windows-sign.sh); without them nothing is signed.
export WINDOWS_SIGN_PKCS12 WINDOWS_SIGN_PASSWORD_FILE WINDOWS_SIGN_TIMESTAMP_URL

windows: windows-qt
	@scripts/install-deps.sh windows-package
	scripts/debian13-run.sh scripts/windows-build.sh $(WINDOWS_BUILD)
	scripts/windows-package.sh $(WINDOWS_BUILD)

# WINDOWS_CASES="win7 upgrade" runs only the cases it names (default: all).
export WINDOWS_CASES

windows-check: windows build
	@scripts/install-deps.sh wine
	xvfb-run -a -s "-screen 0 1024x768x24" scripts/windows-check.sh $(WINDOWS_BUILD) $(BUILD)

windows-qt-clean:
	rm -rf "$$(scripts/qt-build.sh windows --prefix)"

# Builds for another system, cross-compiled here, are tested one way
# (scripts/test-cross.sh): the build's own emulator runs the whole suite
# under ctest, then every number the window shows for the edge pairs and
# NUMBERS_PAIRS random locator pairs (tools/numbers) must be the same as in
# this machine's build; with the same C library on both sides (arm64), so
# must every intermediate value, which catches a multiply-add fused where
# this machine's build rounds twice.
NUMBERS_PAIRS ?= 1000000
export NUMBERS_PAIRS

# arm64, for a Raspberry Pi under Raspberry Pi OS or Debian's arm64 port:
# Debian's cross compiler and its arm64 Qt, installed beside this machine's
# own, with the machine's Qt tools (QT_HOST_PATH), and qemu's user-mode
# emulator. `make package-arm64` cross-builds the arm64 .deb into
# PACKAGE_BUILD, beside this machine's, and lints it as `make package-check`
# does; installing it and its as-installed tests need an arm64 machine.
# The preset arm64 names the folder.
ARM64_BUILD := build-arm64

test-arm64: build
	@scripts/install-deps.sh arm64
	cmake --workflow --preset arm64
	scripts/test-cross.sh --exact $(ARM64_BUILD) $(BUILD) arm64

package-arm64:
	@scripts/install-deps.sh arm64
	scripts/package.sh $(PACKAGE_BUILD) arm64
	scripts/package-check.sh $(PACKAGE_BUILD) arm64

# In a browser: Qt for WebAssembly built once in Debian 13, as Qt for
# Windows is, then the program, its tests and tools into WEB_BUILD, and the
# site, the folder a web server serves as it is, in WEB_BUILD/site. `make
# web-check` runs the whole suite and tools/numbers in headless Chromium
# through scripts/test-cross.sh, tools/numbers again in WebKitGTK and
# Firefox ESR, then opens the real page as users would in the three
# engines, from three web servers, and a second version of the site
# (WEB_BUILD/site-next) over the first (scripts/web-page-check.py;
# screenshots in WEB_BUILD/screenshots). The preset web names the folder.
WEB_BUILD := build-web

web-qt:
	@scripts/install-deps.sh web
	scripts/debian13-run.sh scripts/install-deps.sh web
	scripts/debian13-run.sh scripts/qt-build.sh web

web: web-qt
	scripts/debian13-run.sh scripts/web-build.sh

web-check: web build
	scripts/test-cross.sh $(WEB_BUILD) $(BUILD) web
	for engine in webkit firefox; do \
	    TERVALO_WEB_ENGINE=$$engine scripts/debian13-run.sh scripts/browser-run.py $(WEB_BUILD)/tools/numbers/numbers.js \
	        $(NUMBERS_PAIRS) >$(WEB_BUILD)/numbers-$$engine.txt && \
	    scripts/compare-numbers.sh $(WEB_BUILD)/numbers-reference.txt $(WEB_BUILD)/numbers-$$engine.txt \
	        "web in $$engine" || exit 1; \
	done
	scripts/debian13-run.sh scripts/web-build.sh site-next
	scripts/debian13-run.sh scripts/web-page-check.py $(WEB_BUILD)/site $(WEB_BUILD)/site-next \
	    $(WEB_BUILD)/numbers-reference.txt $(WEB_BUILD)/screenshots

web-qt-clean:
	rm -rf "$$(scripts/qt-build.sh web --prefix)"

# A release of the last commit: `make release` writes the source tarball, the
# Debian source package, the binary packages for this machine and arm64, the
# Windows zip and installer, the web version's zip and their
# SHA256SUMS to RELEASE_DIST, building in RELEASE_BUILD (see
# scripts/release.sh; WINDOWS_SIGN_* sign its Windows files); `make
# release-check` makes it twice, unsigned, from a clone of REF by reprotest,
# which compares the two with diffoscope, then builds the source package as
# a Debian maintainer would, for this machine and cross-built for arm64, and
# lints it (see scripts/release-check.sh).
RELEASE_DIST ?= dist
RELEASE_BUILD ?= build-release

release: windows-qt web-qt
	@scripts/install-deps.sh package release arm64 windows-package
	scripts/release.sh $(RELEASE_DIST) $(RELEASE_BUILD)

release-check: windows-qt web-qt
	@scripts/install-deps.sh package release arm64 windows-package
	scripts/release-check.sh $(RELEASE_BUILD)-check $(REF)

# A clean clone of REF checked with CHECK on fresh, minimal Debian systems
# (chroots made by mmdebstrap, kept in FRESH_BUILD); see
# scripts/fresh-debian-check.sh. Needs root.
FRESH_BUILD ?= build-fresh
SUITE ?= bookworm trixie
REF ?= HEAD
CHECK ?= sh .ci/run

fresh-check:
	@scripts/install-deps.sh fresh
	@status=0; for suite in $(SUITE); do \
	    FRESH_DIR=$(FRESH_BUILD) scripts/fresh-debian-check.sh $$suite $(REF) '$(CHECK)' || status=1; \
	done; exit $$status

# Every build folder the targets above create. fresh-check mounts only in a
# namespace that ends with it; a mount made in FRESH_BUILD by hand stops the
# deletion, since rm would go into a bind of the same file system.
clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(STARTUP_BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(IMAGES_BUILD) $(PACKAGE_BUILD) \
	    $(ARM64_BUILD) $(WINDOWS_BUILD) $(WEB_BUILD) $(RELEASE_DIST) $(RELEASE_BUILD) $(RELEASE_BUILD)-check
	@if grep -qs ' $(abspath $(FRESH_BUILD))/' /proc/self/mountinfo; then \
	    echo "make clean: something is mounted in $(FRESH_BUILD); not deleting it" >&2; exit 1; \
	fi
	rm -rf --one-file-system $(FRESH_BUILD)
