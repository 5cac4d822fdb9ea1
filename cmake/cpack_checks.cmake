# Read by cpack for each generator. Without file or dpkg-shlibdeps, CPack's
# Debian generator leaves out the package's Depends without a word; refuse
# to make such a package instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(tool file dpkg-shlibdeps)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
      message(FATAL_ERROR "${tool} not found (apt-get install file dpkg-dev): "
                          "the Debian package would lack its dependencies.")
    endif()
  endforeach()
endif()
