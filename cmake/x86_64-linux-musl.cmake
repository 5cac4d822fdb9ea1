# Builds adconv for Linux on x86-64 against musl, statically, with zig; its
# programs run here as they are, so the tests run them:
#   cmake -S . -B build-musl -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-linux-musl.cmake -DADCONV_STATIC=ON
set(ADCONV_ZIG_TARGET x86_64-linux-musl)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
# No libraries of this machine's (glibc's) are to be found: GoogleTest is
# built from its sources.
set(CMAKE_FIND_ROOT_PATH ${CMAKE_BINARY_DIR}/no-root)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env)
