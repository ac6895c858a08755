# Tervalo's build and checks; the targets install the Debian packages they
# need that are missing (scripts/install-deps.sh). What a newcomer uses:
#   make run            build and open the window
#   make test           build and run the tests
#   make format         lay out every C++ file; make format-check only checks
#   make images-check   draw the images anew and compare them with assets/
#   make lint           shellcheck on every shell script, pyflakes on the Python ones
#   make windows        the Windows zip and installer (make windows-check tests them under Wine)
#   make web            the site that runs the program in a browser (make web-check tests it in three engines)
#   make clean          delete every build folder
# CI runs .ci/run; the other targets say what they do where they stand.
#
# The CMake builds are named in CMakePresets.json, which an IDE reads too
# (tools/imagegen has its own): each preset gives its build folder and
# settings, and each target configures, builds and tests through its presets
# (cmake --preset, cmake --build --preset, ctest --preset), so the folders
# below are the presets' and are not changed here. JOBS is how many jobs
# every build and test run takes, here and in the scripts (through CMake's
# and CTest's own variables, and JOBS itself for the Debian builds).
BUILD := build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
export JOBS
CMAKE_FLAGS ?=
export CMAKE_BUILD_PARALLEL_LEVEL := $(JOBS)
export CTEST_PARALLEL_LEVEL := $(JOBS)

.PHONY: all deps build run test format format-check lint images-check bench bench-startup sanitize fuzz \
	package package-check test-arm64 package-arm64 windows-qt windows windows-check windows-qt-clean \
	web-qt web web-check web-qt-clean release release-check fresh-check clean

all: build

deps:
	@scripts/install-deps.sh build

$(BUILD)/CMakeCache.txt: | deps
	cmake --preset default $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build --preset default

test: build
	ctest --preset default

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
	cmake --preset bench
	cmake --build --preset bench
	$(BENCH_BUILD)/bench/bench_geodesy
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/bench_typing -iterations 2000
	for mb in 1 10 50; do for box in bare Text3 Text5; do \
	    QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/bench_paste $$box $$mb || exit 1; \
	done; done

# Time from exec to the window being mapped, and peak resident memory, of the
# program against a minimal Qt Widgets window built alongside it in Release,
# under Xvfb; medians of STARTUP_RUNS runs each.
STARTUP_BUILD ?= $(BUILD)-startup
STARTUP_RUNS ?= 15

bench-startup:
	@scripts/install-deps.sh bench
	cmake -S bench/startup -B $(STARTUP_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(STARTUP_BUILD) --target tervalo minimal_window startup_probe
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
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize
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
	cmake --preset fuzz
	cmake --build --preset fuzz
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

# Windows x86-64, cross-built on Debian with MinGW-w64: `make windows` makes
# the portable zip and the installer in WINDOWS_BUILD; `make windows-check`
# tests them under Wine (see scripts/windows-check.sh). Qt for Windows is
# built once from Debian's own qt6-base source and kept outside the checkout
# (`scripts/windows-qt.sh --prefix` says where): `make clean` leaves it,
# `make windows-qt-clean` removes it.
WINDOWS_BUILD ?= build-windows

windows-qt:
	@scripts/install-deps.sh windows
	scripts/windows-qt.sh

# WINDOWS_SIGN_PKCS12=FILE WINDOWS_SIGN_PASSWORD_FILE=FILE (and optionally
# WINDOWS_SIGN_TIMESTAMP_URL=URL) sign the program, the installer and its
# uninstaller (scripts/windows-sign.sh); without them nothing is signed.
export WINDOWS_SIGN_PKCS12 WINDOWS_SIGN_PASSWORD_FILE WINDOWS_SIGN_TIMESTAMP_URL

windows: windows-qt
	scripts/windows-build.sh $(WINDOWS_BUILD)
	scripts/windows-package.sh $(WINDOWS_BUILD)

# WINDOWS_CASES="win7 upgrade" runs only the cases it names (default: all).
export WINDOWS_CASES

windows-check: windows build
	xvfb-run -a -s "-screen 0 1024x768x24" scripts/windows-check.sh $(WINDOWS_BUILD) $(BUILD)

windows-qt-clean:
	rm -rf "$$(scripts/windows-qt.sh --prefix)"

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
	cmake --preset arm64
	cmake --build --preset arm64
	scripts/test-cross.sh --exact $(ARM64_BUILD) $(BUILD) arm64

package-arm64:
	@scripts/install-deps.sh arm64
	scripts/package.sh $(PACKAGE_BUILD) arm64
	scripts/package-check.sh $(PACKAGE_BUILD) arm64

# In a browser: Qt for WebAssembly built once from Debian 13's qt6-base
# source with Debian 13's emscripten and kept outside the checkout
# (`make web-qt-clean` removes it), then the program, its tests and tools
# into WEB_BUILD, and the site, the folder a web server serves as it is, in
# WEB_BUILD/site. On Debian 12 all of it runs in a minimal Debian 13 system
# that mmdebstrap makes once (scripts/web-run.sh; it needs root). `make
# web-check` runs the whole suite and tools/numbers in headless Chromium
# through scripts/test-cross.sh, tools/numbers again in WebKitGTK and
# Firefox ESR, then opens the real page as users would in the three
# engines, from three web servers, and a second version of the site
# (WEB_BUILD/site-next) over the first (scripts/web-check.py; screenshots
# in WEB_BUILD/screenshots). The preset web names the folder.
WEB_BUILD := build-web

web-qt:
	@scripts/install-deps.sh web
	scripts/web-run.sh scripts/install-deps.sh web
	scripts/web-run.sh scripts/web-qt.sh

web: web-qt
	scripts/web-run.sh scripts/web-build.sh

web-check: web build
	scripts/test-cross.sh $(WEB_BUILD) $(BUILD) web
	for engine in webkit firefox; do \
	    TERVALO_WEB_ENGINE=$$engine scripts/web-run.sh scripts/web-test.py $(WEB_BUILD)/tools/numbers/numbers.js \
	        $(NUMBERS_PAIRS) >$(WEB_BUILD)/numbers-$$engine.txt && \
	    scripts/compare-numbers.sh $(WEB_BUILD)/numbers-reference.txt $(WEB_BUILD)/numbers-$$engine.txt \
	        "web in $$engine" || exit 1; \
	done
	scripts/web-run.sh scripts/web-build.sh site-next
	scripts/web-run.sh scripts/web-check.py $(WEB_BUILD)/site $(WEB_BUILD)/site-next \
	    $(WEB_BUILD)/numbers-reference.txt $(WEB_BUILD)/screenshots

web-qt-clean:
	rm -rf "$$(scripts/web-run.sh scripts/web-qt.sh --prefix)"

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
	@scripts/install-deps.sh package release arm64
	scripts/release.sh $(RELEASE_DIST) $(RELEASE_BUILD)

release-check: windows-qt web-qt
	@scripts/install-deps.sh package release arm64
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
