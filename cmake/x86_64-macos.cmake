# Cross-builds adconv for macOS on Intel (x86_64) with zig; built, not run:
#   cmake -S . -B build-macos-x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-macos.cmake
set(ADCONV_ZIG_TARGET x86_64-macos)
set(ADCONV_MACOS_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-macos.cmake)
