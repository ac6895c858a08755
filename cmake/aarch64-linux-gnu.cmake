# Cross-builds for 64-bit ARM Linux (a Raspberry Pi under Raspberry Pi OS or
# Debian's arm64 port) with Debian's aarch64-linux-gnu cross compiler, against
# the arm64 libraries installed beside the machine's own (multiarch); the
# toolkit's code generators come from the machine's own Qt (QT_HOST_PATH).
# Programs built for arm64, tests included, run under qemu's user-mode
# emulator. `make test-arm64` uses it; scripts/install-deps.sh arm64 installs
# what it names.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# Kept in the cache, where scripts/test-cross.sh finds it for the programs it
# runs itself.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 CACHE STRING "Runs the arm64 programs here")
