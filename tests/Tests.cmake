# How the tests of each tree run.
#   native: the unit tests (sanitized), one CTest entry per test, and the kvpack command tests
#   win64:  the same unit tests, built for Windows, under Wine on a private Xvfb display
#   win32:  nothing executes; the delivered programs are checked for format and size

set(KV_WIN64 OFF)
if(KV_WINDOWS AND CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  set(KV_WIN64 ON)
endif()

if(KV_WIN64)
  set(KV_WINE ${KV_ROOT}/tests/wine/wine-env.sh)
  set(KV_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  add_test(NAME wine.start COMMAND ${KV_WINE} start ${KV_WINE_STATE})
  add_test(NAME wine.stop COMMAND ${KV_WINE} stop ${KV_WINE_STATE})
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
  # Adds a test that runs a Windows program under the Wine fixture.
  function(kv_wine_test name)
    add_test(NAME wine.${name} COMMAND ${KV_WINE} run ${KV_WINE_STATE} ${ARGN})
    set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900 RESOURCE_LOCK wine_display)
  endfunction()
  # Shell-driven Windows tests: tests/wine/NAME.test.sh WINE-ENV STATE BINDIR
  file(GLOB KV_WINE_TESTS CONFIGURE_DEPENDS ${KV_ROOT}/tests/wine/*.test.sh)
  foreach(script ${KV_WINE_TESTS})
    get_filename_component(stem ${script} NAME_WE)
    add_test(NAME wine.${stem} COMMAND bash ${script} ${KV_WINE} ${KV_WINE_STATE} ${CMAKE_BINARY_DIR}/bin)
    # One display and one wineserver serve every Wine test: they take turns, so that
    # windows, focus and the mouse of one test never meet another's.
    set_tests_properties(wine.${stem} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900
      RESOURCE_LOCK wine_display ENVIRONMENT "KV_ROOT=${KV_ROOT};KV_NATIVE_BIN=${KV_ROOT}/build/native/bin")
  endforeach()
endif()

# kv_unit_tests(AREA DEPS libs...): the GoogleTest program kv_AREA_tests from tests/unit/AREA.
function(kv_unit_tests area)
  cmake_parse_arguments(KV "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${KV_ROOT}/tests/unit/${area}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  set(exe kv_${area}_tests)
  add_executable(${exe} ${srcs})
  target_link_libraries(${exe} PRIVATE GTest::gtest GTest::gtest_main)
  target_include_directories(${exe} PRIVATE ${KV_ROOT}/tests/unit)
  if(NOT KV_WINDOWS)
    foreach(dep ${KV_DEPS})
      target_link_libraries(${exe} PRIVATE ${dep}_san)
    endforeach()
    include(GoogleTest)
    gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 TEST_PREFIX ${area}.
      PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1")
  else()
    target_link_libraries(${exe} PRIVATE ${KV_DEPS})
    if(KV_WIN64)
      kv_wine_test(${area} $<TARGET_FILE:${exe}> --gtest_color=no)
    endif()
  endif()
endfunction()

if(NOT KV_WINDOWS)
  # Command tests of kvpack: tests/cli/NAME.sh KVPACK
  file(GLOB KV_CLI_TESTS CONFIGURE_DEPENDS ${KV_ROOT}/tests/cli/*.sh)
  list(FILTER KV_CLI_TESTS EXCLUDE REGEX "/lib\\.sh$")  # the tests' shared functions
  foreach(script ${KV_CLI_TESTS})
    get_filename_component(stem ${script} NAME_WE)
    add_test(NAME cli.${stem} COMMAND bash ${script} $<TARGET_FILE:kvpack>)
    set_tests_properties(cli.${stem} PROPERTIES ENVIRONMENT "KV_ROOT=${KV_ROOT}")
  endforeach()
elseif(NOT KV_WIN64)
  add_test(NAME win32.programs
    COMMAND bash ${KV_ROOT}/tests/win32-check.sh ${CMAKE_BINARY_DIR}/bin kvpack.exe showcase.scr deployer.exe)
endif()
