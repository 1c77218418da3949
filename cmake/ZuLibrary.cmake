# zu_add_library(<name> DEPS <libs...> [EXCLUDE <subdirs...>])
#
# Makes one static library from every .cpp under the calling directory except the tests
# (*Test.cpp) and the listed subfolders (libraries of their own), and one test binary
# <name>_tests from the tests, registered with ctest: each test on its own, or the whole binary
# as one test with ZU_TESTS_WHOLE_BINARIES.
# New files are picked up by a re-configure (CONFIGURE_DEPENDS), so adding a class needs no
# edit here.
set(ZU_ALL_LIBS "" CACHE INTERNAL "every zu library, lowest first")

# zu_precompile(<target> [TESTS])
#
# With ZU_PCH, the target's sources are compiled over a precompiled header of the standard
# headers most of them include (and, with TESTS, GoogleTest's and GoogleMock's), parsed once per
# target instead of once per file. Each target makes its own: a precompiled header serves only
# sources compiled with the same flags and definitions. Sources still include what they use: a
# build without ZU_PCH (ZU_PCH=OFF) keeps them honest.
set(ZU_PCH_HEADERS
    <algorithm> <array> <atomic> <chrono> <cmath> <cstddef> <cstdint> <cstdio> <cstdlib>
    <cstring> <filesystem> <fstream> <functional> <map> <memory> <mutex> <optional> <set>
    <sstream> <string> <string_view> <thread> <utility> <vector>)
function(zu_precompile target)
  cmake_parse_arguments(ARG "TESTS" "" "" ${ARGN})
  if(NOT ZU_PCH)
    return()
  endif()
  set(headers ${ZU_PCH_HEADERS})
  if(ARG_TESTS)
    list(APPEND headers <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  foreach(header IN LISTS headers)
    target_precompile_headers(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${header}>")
  endforeach()
endfunction()

# zu_test_binary(<target>)
#
# What every test binary gets: the precompiled headers with the test framework's, and, in an
# optimised build, its own test sources compiled at -O1. The libraries under test keep the
# build's full optimisation (the faults it brings out are theirs); the tests' own code, large
# and run once, costs a third less to compile so.
function(zu_test_binary target)
  zu_precompile(${target} TESTS)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O1>)
endfunction()

function(zu_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;TEST_DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE all_sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  set(lib_sources "")
  set(test_sources "")
  foreach(f IN LISTS all_sources)
    set(excluded FALSE)
    foreach(dir IN LISTS ARG_EXCLUDE)
      if(f MATCHES "^${CMAKE_CURRENT_SOURCE_DIR}/${dir}/")
        set(excluded TRUE)
      endif()
    endforeach()
    if(excluded)
      continue()
    elseif(f MATCHES "Test\\.cpp$")
      list(APPEND test_sources ${f})
    else()
      list(APPEND lib_sources ${f})
    endif()
  endforeach()

  if(lib_sources)
    add_library(${name} STATIC ${lib_sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    zu_precompile(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  set(ZU_ALL_LIBS ${ZU_ALL_LIBS} ${name} CACHE INTERNAL "")

  if(ZU_TESTS AND test_sources)
    add_executable(${name}_tests ${test_sources})
    target_link_libraries(${name}_tests PRIVATE ${name} zu_testing zu_skipped_test_log
                          ${ARG_TEST_DEPS} GTest::gmock GTest::gtest GTest::gtest_main)
    zu_test_binary(${name}_tests)
    target_compile_definitions(${name}_tests PRIVATE
                               ZU_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                               ZU_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/testdata")
    # What the libraries under the tests keep in their cache home (GStreamer's registry of its
    # plugins, the settings backend's file) goes into the build folder, not the desktop user's
    # home; the client puts it into its own home (LibraryFolders).
    set(environment "XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/library-caches")
    if(ZU_TESTS_WHOLE_BINARIES)
      # One process runs every test of the binary in order, so a test that leaves state
      # behind for the next one (a task queued on the main loop, a global switched) fails.
      add_test(NAME ${name}_tests COMMAND ${name}_tests)
      set_tests_properties(${name}_tests PROPERTIES TIMEOUT 900 ENVIRONMENT "${environment}")
    else()
      gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 120
                           PROPERTIES TIMEOUT 300 ENVIRONMENT "${environment}")
    endif()
  endif()
endfunction()

# zu_add_engine_suite(<name> SOURCES <files...> LIBS <libs...> [TIMEOUT <seconds>])
#
# A test binary that shows pages in the real web engine: run whole (one engine per process),
# labelled "web-engine" (ctest -L web-engine), with fonts pinned to the installed CJK font so
# its pictures do not change with the machine's fonts (its main passes ZU_WEB_FONTS_CONF to
# runEngineTests). Its pictures go to the snapshots folder beside its library's tests.
function(zu_add_engine_suite name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  # The same limit serves every build: the suites run about as long under ThreadSanitizer as
  # under AddressSanitizer (the web engine's own processes, not instrumented, do most of the
  # work), some 25-70 s at a load of 15-30.
  configure_file(${PROJECT_SOURCE_DIR}/src/platform/web/engine-tests/fonts.conf.in
                 ${CMAKE_CURRENT_BINARY_DIR}/fonts.conf @ONLY)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zu_testing zu_skipped_test_log GTest::gmock
                        GTest::gtest)
  zu_test_binary(${name})
  target_compile_definitions(${name} PRIVATE
                             ZU_WEB_FONTS_CONF="${CMAKE_CURRENT_BINARY_DIR}/fonts.conf")
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/..)
  set_tests_properties(${name} PROPERTIES LABELS web-engine TIMEOUT ${ARG_TIMEOUT})
endfunction()
