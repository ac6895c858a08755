# Two commands do everything on a fresh Debian machine:
#   make run    install what is missing, build, open the window
#   make test   install what is missing, build, run the tests
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps.sh build

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open." >&2; \
	    exit 1; \
	fi
	$(BUILD)/window/tervalo

bench:
	@scripts/install-deps.sh bench
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DTERVALO_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build $(BUILD)-bench -j $(JOBS) --target bench_geodesy
	$(BUILD)-bench/bench/bench_geodesy

clean:
	rm -rf $(BUILD) $(BUILD)-bench
