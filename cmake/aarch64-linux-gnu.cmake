# Cross-builds adconv for 64-bit ARM Linux (arm64), tested under qemu-user:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(ADCONV_LINUX_TRIPLET aarch64-linux-gnu)
set(ADCONV_LINUX_PROCESSOR aarch64)
set(ADCONV_QEMU_ARCH aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
