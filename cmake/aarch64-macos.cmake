# Cross-builds adconv for macOS on Apple silicon (arm64) with zig; built, not run:
#   cmake -S . -B build-macos-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-macos.cmake
set(ADCONV_ZIG_TARGET aarch64-macos)
set(ADCONV_MACOS_PROCESSOR arm64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-macos.cmake)
