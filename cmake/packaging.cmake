# What gets installed, and the packages CPack makes of it: a zip for
# Windows users, a Debian package and a tarball elsewhere.
set(CPACK_PACKAGE_NAME adconv)
set(CPACK_PACKAGE_VENDOR "the adconv developers")
# No one reads mail for the package: an address under .invalid, which no
# mail reaches and no one takes for a real one.
set(CPACK_PACKAGE_CONTACT "adconv developers <no-mail@adconv.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert binary A/D sample files into a tab-separated table")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

configure_file(man/adconv.1.in ${PROJECT_BINARY_DIR}/adconv.1 @ONLY)

if(WIN32)
  # Everything in one folder: the program, a guide for Windows users and the
  # manual as text, both with Windows line ends.
  install(TARGETS adconv RUNTIME DESTINATION .)
  configure_file(packaging/windows-readme.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION . RENAME LICENSE)
  find_program(ADCONV_GROFF groff)
  if(ADCONV_GROFF)
    execute_process(COMMAND ${ADCONV_GROFF} -man -Tascii -P-cbou -rWI=1 -rHY=0 ${PROJECT_BINARY_DIR}/adconv.1
                    OUTPUT_VARIABLE manual RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed)
      string(REPLACE "\n" "\r\n" manual "${manual}")
      file(WRITE ${PROJECT_BINARY_DIR}/adconv.txt "${manual}")
      install(FILES ${PROJECT_BINARY_DIR}/adconv.txt DESTINATION .)
    endif()
  else()
    message(WARNING "groff not found (apt-get install groff-base): the package will hold no manual.")
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME adconv-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
  include(CPack)
  return()
endif()

include(GNUInstallDirs)
install(TARGETS adconv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# No compiler notes in the installed program, as Debian's dh_strip leaves it.
# Those are ELF sections, and only an ELF strip takes their names.
if(CMAKE_STRIP AND CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/adconv\")")
endif()

# The copyright file in Debian's machine-readable form, from LICENSE.
file(READ LICENSE license)
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
string(REGEX REPLACE "\n" "\n " license "${license}")
file(WRITE ${PROJECT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: adconv

Files: *
Copyright: 2026 the adconv developers
License: MIT
 ${license}
")
configure_file(packaging/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
configure_file(README.md ${PROJECT_BINARY_DIR}/README.md COPYONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual page, changelog and README go out compressed, as Debian expects;
# -n keeps the name and time out of the gzip header so the package is
# reproducible.
find_program(ADCONV_GZIP gzip)
foreach(doc adconv.1 changelog README.md)
  if(ADCONV_GZIP)
    execute_process(COMMAND ${ADCONV_GZIP} -9nc ${doc} WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
                    OUTPUT_FILE ${PROJECT_BINARY_DIR}/${doc}.gz)
    set(${doc}_installed ${PROJECT_BINARY_DIR}/${doc}.gz)
  else()
    set(${doc}_installed ${PROJECT_BINARY_DIR}/${doc})
  endif()
endforeach()
install(FILES ${adconv.1_installed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${changelog_installed} ${README.md_installed} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A tarball everywhere; a Debian package for Linux where dpkg is.
find_program(ADCONV_DPKG dpkg)
set(ADCONV_DEBIAN_PACKAGE OFF)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND ADCONV_DPKG)
  set(ADCONV_DEBIAN_PACKAGE ON)
  set(CPACK_GENERATOR "DEB;TGZ")
else()
  set(CPACK_GENERATOR "TGZ")
endif()
# CPack puts the summary in front; lines kept short for Debian.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "adconv reads a file of 36-byte records, each a time stamp and sixteen
16-bit readings of two eight-channel analogue-to-digital converters, and
writes the table file adtable: local date and time and the readings scaled
so full scale reads 2.5, one tab-separated row per record.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Every zone but UTC is read from the system's time-zone data.
set(CPACK_DEBIAN_PACKAGE_DEPENDS tzdata)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_checks.cmake)
include(CPack)
