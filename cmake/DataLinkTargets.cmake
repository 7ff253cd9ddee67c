# Project-wide compiler settings and helpers for libraries, tests and benchmarks.

option(DATALINK_LIBFUZZER "Instrument everything for libFuzzer and build the fuzz_* executables (clang only)" OFF)
if(DATALINK_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "DATALINK_LIBFUZZER needs clang: configure with CC=clang CXX=clang++ (scripts/fuzz.sh does).")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(datalink_warnings INTERFACE)
target_compile_options(datalink_warnings INTERFACE -Wall -Wextra)

# datalink_library(<name> SOURCES ... [PUBLIC_INCLUDE dir...] [LIBS ...])
function(datalink_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_INCLUDE;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${ARG_PUBLIC_INCLUDE})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE datalink_warnings)
endfunction()

# datalink_add_qtest(<name> SOURCES ... [LIBS ...] [TIMEOUT seconds])
# A Qt Test executable registered with CTest, run offscreen.
function(datalink_add_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport Qt5::Test ${ARG_LIBS} datalink_warnings)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DATALINK_SOURCE_DIR=${PROJECT_SOURCE_DIR};DATALINK_SHARED_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()

# datalink_benchmark(<name> SOURCES ... [LIBS ...]): a timed program under bench/.
function(datalink_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE benchsupport ${ARG_LIBS} datalink_warnings)
endfunction()
