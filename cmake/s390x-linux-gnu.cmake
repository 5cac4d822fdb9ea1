# Cross-builds adconv for big-endian 64-bit Linux (s390x), tested under qemu-user:
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake
set(ADCONV_LINUX_TRIPLET s390x-linux-gnu)
set(ADCONV_LINUX_PROCESSOR s390x)
set(ADCONV_QEMU_ARCH s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
