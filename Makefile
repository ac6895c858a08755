# Two commands do everything on a fresh Debian machine:
#   make run    install what is missing, build, open the window
#   make test   install what is missing, build, run the tests
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build run test bench sanitize fuzz clean format format-check

all: build

deps:
	@scripts/install-deps.sh build

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# One layout for every C++ file, as .clang-format describes it.
CXX_SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null || find geodesy window tests bench fuzz tools -name '*.cpp' -o -name '*.h')

format:
	@scripts/install-deps.sh format
	clang-format -i $(CXX_SOURCES)

format-check:
	@scripts/install-deps.sh format
	clang-format --dry-run -Werror $(CXX_SOURCES)

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open." >&2; \
	    exit 1; \
	fi
	$(BUILD)/window/tervalo

bench:
	@scripts/install-deps.sh bench
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DTERVALO_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build $(BUILD)-bench -j $(JOBS) --target bench_geodesy bench_typing bench_paste
	$(BUILD)-bench/bench/bench_geodesy
	QT_QPA_PLATFORM=offscreen $(BUILD)-bench/bench/bench_typing -iterations 2000
	for mb in 1 10 50; do for box in bare Text3 Text5; do \
	    QT_QPA_PLATFORM=offscreen $(BUILD)-bench/bench/bench_paste $$box $$mb || exit 1; \
	done; done

# Time from exec to the window being mapped, and peak resident memory, of the
# program against a minimal Qt Widgets window built alongside it in Release,
# under Xvfb; medians of STARTUP_RUNS runs each.
.PHONY: bench-startup
STARTUP_BUILD ?= $(BUILD)-startup
STARTUP_RUNS ?= 15

bench-startup:
	@scripts/install-deps.sh bench
	cmake -S bench/startup -B $(STARTUP_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(STARTUP_BUILD) -j $(JOBS) --target tervalo minimal_window startup_probe
	bench/startup/run.sh $(STARTUP_BUILD) $(STARTUP_RUNS)

# The whole project and its tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Every report is fatal and prints its stack;
# leaks are checked at the exit of every test program and of the program
# itself, opened in a virtual X server and closed by "Esci". Leaks made
# inside system libraries that never call the program's code are suppressed
# by scripts/lsan.supp, which says why for each line.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_ENV = \
	ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:print_summary=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=1:fast_unwind_on_malloc=0

sanitize: deps
	@scripts/install-deps.sh screen
	cmake -S . -B $(SANITIZE_BUILD) -DTERVALO_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)
	$(SANITIZE_ENV) scripts/sanitize-window.sh $(SANITIZE_BUILD)

# libFuzzer run of the locator arithmetic for FUZZ_SECONDS seconds, built by
# CMake with FUZZ_CXX (Clang) and -DTERVALO_FUZZ=ON, at -O1 with debug
# information. The committed seeds in fuzz/corpus are only read; what the
# fuzzer finds is kept in the build folder, and a failing input is saved there
# as crash-*, replayed by `$(FUZZ_BUILD)/fuzz_geodesy $(FUZZ_BUILD)/crash-...`.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++

fuzz:
	@scripts/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DTERVALO_FUZZ=ON -DBUILD_TESTING=OFF \
	    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_geodesy
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

.PHONY: package package-check clean-package

package:
	@scripts/install-deps.sh package
	scripts/package.sh $(PACKAGE_BUILD)

package-check: package
	scripts/package-check.sh $(PACKAGE_BUILD)

clean: clean-package
clean-package:
	rm -rf $(PACKAGE_BUILD)

# Windows x86-64, cross-built on Debian with MinGW-w64: `make windows` makes
# the portable zip and the installer in WINDOWS_BUILD; `make windows-check`
# tests them under Wine (see scripts/windows-check.sh). Qt for Windows is
# built once from Debian's own qt6-base source and kept outside the checkout
# (`scripts/windows-qt.sh --prefix` says where): `make clean` leaves it,
# `make windows-qt-clean` removes it.
WINDOWS_BUILD ?= build-windows

.PHONY: windows windows-check windows-qt windows-qt-clean

windows-qt:
	@scripts/install-deps.sh windows
	scripts/windows-qt.sh

windows: windows-qt
	scripts/windows-build.sh $(WINDOWS_BUILD)

windows-check: windows build
	xvfb-run -a -s "-screen 0 1024x768x24" scripts/windows-check.sh $(WINDOWS_BUILD) $(BUILD)

windows-qt-clean:
	rm -rf "$$(scripts/windows-qt.sh --prefix)"

# A release of the last commit: `make release` writes the source tarball, the
# Debian source and binary packages, the Windows zip and installer and their
# SHA256SUMS to RELEASE_DIST, building in RELEASE_BUILD (see
# scripts/release.sh); `make release-check` makes it twice from two clones of
# REF and compares every file, then builds the source package as a Debian
# maintainer would and lints it (see scripts/release-check.sh).
RELEASE_DIST ?= dist
RELEASE_BUILD ?= build-release

.PHONY: release release-check clean-release

release: windows-qt
	@scripts/install-deps.sh package release
	scripts/release.sh $(RELEASE_DIST) $(RELEASE_BUILD)

release-check: windows-qt
	@scripts/install-deps.sh package release
	scripts/release-check.sh $(RELEASE_BUILD)-check $(REF)

clean: clean-release
clean-release:
	rm -rf $(RELEASE_DIST) $(RELEASE_BUILD) $(RELEASE_BUILD)-check

# A clean clone of REF checked with CHECK on fresh, minimal Debian systems
# (chroots made by debootstrap, kept in FRESH_BUILD); see
# scripts/fresh-debian-check.sh. Needs root.
.PHONY: fresh-check
FRESH_BUILD ?= build-fresh
SUITE ?= bookworm trixie
REF ?= HEAD
CHECK ?= sh .ci/run

fresh-check:
	@scripts/install-deps.sh fresh
	@status=0; for suite in $(SUITE); do \
	    FRESH_DIR=$(FRESH_BUILD) scripts/fresh-debian-check.sh $$suite $(REF) '$(CHECK)' || status=1; \
	done; exit $$status

# Every build folder the targets above create.
clean:
	rm -rf $(BUILD) $(BUILD)-bench $(STARTUP_BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
	@if grep -qs ' $(CURDIR)/$(FRESH_BUILD)/' /proc/self/mountinfo; then \
	    echo "make clean: something is mounted in $(FRESH_BUILD); not deleting it" >&2; exit 1; \
	fi
	rm -rf --one-file-system $(FRESH_BUILD)
