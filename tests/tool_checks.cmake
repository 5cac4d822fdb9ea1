# Checks of this machine's build with its own tools: valgrind, the manual
# page, the packages and the skipping of a test whose tool is missing.
if(NOT ADCONV_SANITIZE)
  # valgrind and the sanitizers do not mix.
  add_test(NAME valgrind_cli
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/valgrind_run.sh $<TARGET_FILE:adconv> $<TARGET_FILE:adconv_make_samples>)
  set_tests_properties(valgrind_cli PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${ADCONV_TEST_TIMEOUT})
endif()

# The README's recipes, run as written.
add_test(NAME readme_recipes
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/recipe_check.sh ${PROJECT_SOURCE_DIR}/README.md
                 $<TARGET_FILE:adconv> $<TARGET_FILE:adconv_make_samples>)
set_tests_properties(readme_recipes PROPERTIES LABELS package SKIP_RETURN_CODE 77 TIMEOUT ${ADCONV_TEST_TIMEOUT})

add_test(NAME manual_page COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/manpage_check.sh ${PROJECT_BINARY_DIR}/adconv.1)
set_tests_properties(manual_page PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${ADCONV_TEST_TIMEOUT})

# The packaging and tool checks take most of a full run, so they carry the
# label "package": `ctest -LE package` leaves them out. cpack runs once, in
# the fixture, for both tests of its packages. They check the Debian
# package, so they are made only where there is one (Linux with dpkg).
if(NOT ADCONV_DEBIAN_PACKAGE)
  return()
endif()
add_test(NAME packages COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/package_check.sh ${PROJECT_BINARY_DIR} build)
add_test(NAME install_and_packages COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/package_check.sh ${PROJECT_BINARY_DIR} contents)
add_test(NAME optional_tools_skip
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/skip_check.sh ${PROJECT_BINARY_DIR}
                 $<TARGET_FILE:adconv> $<TARGET_FILE:adconv_make_samples>)
set_tests_properties(packages install_and_packages optional_tools_skip PROPERTIES LABELS package TIMEOUT ${ADCONV_TEST_TIMEOUT})
set_tests_properties(packages install_and_packages PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(packages PROPERTIES FIXTURES_SETUP packages)
set_tests_properties(install_and_packages PROPERTIES FIXTURES_REQUIRED packages)
# lintian judges a release: a sanitizer build is not hardened.
if(NOT ADCONV_SANITIZE)
  add_test(NAME lintian COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/package_check.sh ${PROJECT_BINARY_DIR} lintian)
  set_tests_properties(lintian PROPERTIES LABELS package SKIP_RETURN_CODE 77 FIXTURES_REQUIRED packages
                                          TIMEOUT ${ADCONV_TEST_TIMEOUT})
endif()

