# Shared by the macOS toolchain files: a cross build with zig's clang, which
# brings the macOS headers and system library stubs. Nothing built this way
# runs here: the build is checked, not tested.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR ${ADCONV_MACOS_PROCESSOR})
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)

# CMake asks for install_name_tool on macOS; it is needed only to install
# shared libraries, which adconv has none of.
file(WRITE ${wrappers}/install_name_tool "#!/bin/sh\necho 'install_name_tool: not in a cross build' >&2\nexit 1\n")
file(CHMOD ${wrappers}/install_name_tool PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
set(CMAKE_INSTALL_NAME_TOOL ${wrappers}/install_name_tool CACHE FILEPATH "")
