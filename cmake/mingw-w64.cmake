# Shared by the MinGW-w64 toolchain files; ADCONV_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ADCONV_MINGW_TRIPLET})

# Debian ships each compiler in a win32 and a posix threading flavour. adconv
# needs no threads, but GoogleTest needs std::mutex, which only the posix
# flavour has; its threading library is linked statically like the rest.
find_program(CMAKE_C_COMPILER NAMES ${ADCONV_MINGW_TRIPLET}-gcc-posix ${ADCONV_MINGW_TRIPLET}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${ADCONV_MINGW_TRIPLET}-g++-posix ${ADCONV_MINGW_TRIPLET}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${ADCONV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ADCONV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes go into the .exe, so it runs with no MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under wine where it is installed (wine64 runs 64-bit programs
# only; the 32-bit build is compiled, not run, on a kernel without 32-bit support).
if(ADCONV_MINGW_TRIPLET MATCHES "^x86_64")
  find_program(ADCONV_WINE NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_CMAKE_FIND_ROOT_PATH)
  if(ADCONV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ADCONV_WINE})
  endif()
endif()
