# Linux and other POSIX builds are hardened as a distribution builds its packages: fortified
# C library calls (they need optimisation), strong stack protection, stack
# clash protection, PIE, full RELRO and, on x86, control-flow protection. A
# flag the compiler does not take for its target is left out.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
# A flag that is only warned about (clang for arm64 macOS ignores stack clash
# protection) counts as not taken.
set(CMAKE_REQUIRED_FLAGS -Werror)
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "ADCONV_HAS${flag}" has_flag)
  check_cxx_compiler_flag(${flag} ${has_flag})
  if(${has_flag})
    add_compile_options(${flag})
  endif()
endforeach()
unset(CMAKE_REQUIRED_FLAGS)
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
# Full RELRO is an ELF matter (Linux and the BSDs); Apple's linker takes no -z.
if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
  add_link_options(-Wl,-z,relro,-z,now)
endif()
