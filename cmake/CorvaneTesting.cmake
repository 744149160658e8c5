# corvane_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per call; every TEST becomes its own CTest test,
# discovered when CTest runs so that building never has to start the binary.
function(corvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} corvane_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  # Fixtures are found through CORVANE_TEST_DATA, which the test preset sets
  # with the rest of the tests' environment, or through this path when the
  # binary is run by hand.
  target_compile_definitions(${name} PRIVATE CORVANE_SOURCE_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# corvane_add_fuzzer(<name> SOURCES <files...> LIBS <targets...> SEEDS <folder>)
# A libFuzzer target that CTest runs for 60 seconds over its seed corpus. New
# inputs go to a scratch corpus in the build tree, never into the sources.
function(corvane_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  if(NOT CORVANE_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${scratch})
  add_test(NAME fuzz.${name}
    COMMAND ${name} -max_total_time=60 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 ${scratch} ${ARG_SEEDS})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 200 LABELS fuzz)
endfunction()
