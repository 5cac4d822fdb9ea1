# Tests of a Windows build: the portable unit tests as one program, the
# command-line checks of adconv.exe and the zip package. A cross build runs
# them under the emulator (wine) that the toolchain file names.
if(NOT GTest_FOUND)
  message(WARNING "GoogleTest sources not found (apt-get install libgtest-dev): the Windows tests are not built.")
  return()
endif()

add_executable(adconv_tests ${ADCONV_UNIT_TESTS})
target_link_libraries(adconv_tests PRIVATE adconv_core GTest::gtest_main)
adconv_warnings(adconv_tests)

add_test(NAME windows_package COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/package_check.sh ${PROJECT_BINARY_DIR} zip)
set_tests_properties(windows_package PROPERTIES TIMEOUT ${ADCONV_TEST_TIMEOUT})

if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(STATUS "No emulator for the target: the Windows tests are built, not run.")
  return()
endif()

# One process for all unit tests: starting wine costs more than most tests.
add_test(NAME unit_tests COMMAND adconv_tests)
set_tests_properties(unit_tests PROPERTIES TIMEOUT ${ADCONV_TEST_TIMEOUT})

if(CMAKE_CROSSCOMPILING_EMULATOR)
  # The command-line cases in three system code pages: 1252 (Western), 1251
  # (Cyrillic) and 936 (Chinese).
  set(cli_tests)
  foreach(locale en_US ru_RU zh_CN)
    add_test(NAME windows_cli_${locale}
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows_cli_check.sh
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:adconv> ${PROJECT_SOURCE_DIR} ${locale})
    set_tests_properties(windows_cli_${locale} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${ADCONV_TEST_TIMEOUT})
    list(APPEND cli_tests windows_cli_${locale})
  endforeach()
  # A wine prefix of the build's own, made once before the tests, so wine's
  # first-run messages never reach a test's output; no Mono or Gecko.
  set(wine_env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")
  add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${wine_env}" TIMEOUT ${ADCONV_TEST_TIMEOUT})
  # One at a time: each command-line check keeps the prefix's wine server
  # running for its cases and stops it at the end.
  set_tests_properties(unit_tests ${cli_tests} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${wine_env}"
                                                          RESOURCE_LOCK wine)
endif()
