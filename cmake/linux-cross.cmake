# Shared by the Linux cross toolchain files. ADCONV_LINUX_TRIPLET names the
# target (Debian's g++-<triplet> builds for it), ADCONV_QEMU_ARCH the
# qemu-user program that runs its programs here, so ctest runs the tests on
# the target's own code and C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${ADCONV_LINUX_PROCESSOR})

find_program(CMAKE_C_COMPILER NAMES ${ADCONV_LINUX_TRIPLET}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${ADCONV_LINUX_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${ADCONV_LINUX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L: the target's loader and libraries; files it does not find there (the
# time-zone data, /etc/localtime) come from this machine. A static build
# (-DADCONV_STATIC=ON) runs without them, as on a machine that has none.
find_program(ADCONV_QEMU NAMES qemu-${ADCONV_QEMU_ARCH} qemu-${ADCONV_QEMU_ARCH}-static)
if(ADCONV_QEMU AND ADCONV_STATIC)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ADCONV_QEMU})
elseif(ADCONV_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ADCONV_QEMU} -L /usr/${ADCONV_LINUX_TRIPLET})
endif()
