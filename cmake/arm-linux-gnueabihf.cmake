# Cross-builds adconv for 32-bit ARM Linux (armhf, as on Raspberry Pi OS 32-bit), tested under qemu-user:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake
set(ADCONV_LINUX_TRIPLET arm-linux-gnueabihf)
set(ADCONV_LINUX_PROCESSOR arm)
set(ADCONV_QEMU_ARCH arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
