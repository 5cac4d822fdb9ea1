# Cross-builds adconv for 32-bit x86 Linux (i686), tested under qemu-user:
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
set(ADCONV_LINUX_TRIPLET i686-linux-gnu)
set(ADCONV_LINUX_PROCESSOR i686)
set(ADCONV_QEMU_ARCH i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
