# Shared helpers for the project's targets.

# Warnings for our own code only (googletest is built without them).
function(tq350_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# The suites and googletest take two thirds of the compile time. Built without the optimiser
# (and, in the sanitize tree, without coverage instrumentation) they take half as long; the
# code they test keeps both: the Windows suites run the -O2 code that ships, the fuzz targets
# the instrumented cores.
function(tq350_test_code_unoptimised target)
  if(TQ350_SANITIZE OR WIN32)
    target_compile_options(${target} PRIVATE -O0)
  endif()
  if(TQ350_FUZZERS)
    target_compile_options(${target} PRIVATE -fno-sanitize=fuzzer-no-link)
  endif()
endfunction()

# tq350_add_gtest(NAME SOURCES ... LIBS ...)
# A GoogleTest executable whose cases ctest discovers at test time, so building
# never needs Wine; on Windows ctest runs it through CMAKE_CROSSCOMPILING_EMULATOR.
function(tq350_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tq350_warnings(${name})
  tq350_test_code_unoptimised(${name})
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
  if(WIN32 AND NOT "e2e" IN_LIST ARG_LABELS)
    # An in-process Wine suite runs as one process: a process of its own for each
    # case would pay Wine's start-up and the first-use set-up of the object counts
    # every time, several times what the cases themselves take.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${ARG_LABELS}" ${ARG_PROPERTIES})
  endif()
endfunction()

# tq350_add_fuzzer(NAME SOURCES ... LIBS ... SEEDS DIR)
# A libFuzzer target, built only with TQ350_FUZZERS. ctest runs it for a few seconds on its
# committed seeds (label fuzz), in a scratch corpus made afresh each run, so that it keeps
# building and a seed that stops passing fails the run; scripts/fuzz.sh runs it for long.
set(TQ350_FUZZ_SMOKE_SECONDS 5 CACHE STRING "Seconds each fuzz target runs under ctest")
function(tq350_add_fuzzer name)
  if(NOT TQ350_FUZZERS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tq350_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # For app/tests/fuzz_check.h, whatever the core's own include folder.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)

  set(scratch ${CMAKE_BINARY_DIR}/fuzz-smoke/${name})
  add_test(NAME ${name}_scratch COMMAND ${CMAKE_COMMAND} -E rm -rf ${scratch})
  set_tests_properties(${name}_scratch PROPERTIES FIXTURES_SETUP ${name}_scratch LABELS fuzz)
  # The scratch corpus comes first: libFuzzer writes what it finds into the first directory,
  # and the committed seeds must stay as they are.
  add_test(NAME ${name}
    COMMAND ${name} -max_total_time=${TQ350_FUZZ_SMOKE_SECONDS} -timeout=10
      -create_missing_dirs=1 -artifact_prefix=${scratch}/ ${scratch}/corpus ${ARG_SEEDS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz FIXTURES_REQUIRED ${name}_scratch)
  set_property(GLOBAL APPEND PROPERTY TQ350_FUZZ_TARGETS
    "${name} $<TARGET_FILE:${name}> ${ARG_SEEDS}")
endfunction()

# tq350_add_e2e_test(NAME SOURCES ...)
# An end-to-end suite: the real program under Wine, driven through its windows,
# against the virtual printers that the `printers` fixture starts (link/tests). One
# case at a time: the program runs as a single instance.
function(tq350_add_e2e_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  tq350_add_gtest(${name}
    SOURCES ${ARG_SOURCES}
    LIBS tq350_win_test_main tq350_e2e_support
    PROPERTIES FIXTURES_REQUIRED printers RESOURCE_LOCK tq350setup
    LABELS e2e)
  add_dependencies(${name} tq350setup)
endfunction()

# tq350_add_core(NAME SOURCES...)
# A folder's portable core: standard C++ only, built natively for the unit tests and
# into the exe. Its headers are included as "folder/..." next to "res/resource.h".
function(tq350_add_core name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  tq350_warnings(${name})
endfunction()

# tq350_ship(TARGET)
# An exe of the Windows zip: make dist builds it (target `shipped`) and scripts/dist.sh
# strips it into the zip.
function(tq350_ship target)
  add_dependencies(shipped ${target})
  set_property(GLOBAL APPEND PROPERTY TQ350_SHIPPED "$<TARGET_FILE:${target}>")
endfunction()
