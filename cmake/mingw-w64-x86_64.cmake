# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix
# thread model, which Qt needs for std::thread). Used for Qt itself and for
# the program (see scripts/qt-build.sh and `make windows`).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(tervalo_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${tervalo_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tervalo_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${tervalo_mingw}-windres)

# Libraries and headers come from the MinGW tree only, programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${tervalo_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The linker would stamp every .exe and .dll with the time of the build;
# without the stamp, the same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")

# install(RUNTIME_DEPENDENCY_SET) finds the DLLs that the program loads by
# reading their imports with MinGW's own objdump, which speaks the C locale
# where scripts/windows-build.sh installs.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${tervalo_mingw}-objdump)
