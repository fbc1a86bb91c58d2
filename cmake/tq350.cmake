# Shared helpers for the project's targets.

# Warnings for our own code only (googletest is built without them).
function(tq350_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# tq350_add_gtest(NAME SOURCES ... LIBS ...)
# A GoogleTest executable whose cases ctest discovers at test time, so building
# never needs Wine; on Windows ctest runs it through CMAKE_CROSSCOMPILING_EMULATOR.
function(tq350_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tq350_warnings(${name})
  if(WIN32)
    # Windows suites bring their own main (tq350_win_test_main) for crash reporting.
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  endif()
  if(NOT ARG_LABELS)
    if(WIN32)
      set(ARG_LABELS win32)
    else()
      set(ARG_LABELS native)
    endif()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" ${ARG_PROPERTIES})
endfunction()
