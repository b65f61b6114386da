# tunvale_library(NAME folder DEPS ...): one static library from every .cpp below a folder.
# Sources are globbed so that a new file in a subsystem folder needs no CMake edit.
# Files named *_win.cpp build only on Windows and *_posix.cpp only elsewhere.
function(tunvale_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${TUNVALE_ROOT}/${folder}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  if(NOT sources)
    # A subsystem with headers only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${TUNVALE_ROOT})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${TUNVALE_ROOT})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# tunvale_test(NAME folder DEPS ...): one GoogleTest executable from every .cpp of tests/<folder>.
function(tunvale_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${TUNVALE_ROOT}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${TUNVALE_ROOT} ${TUNVALE_ROOT}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tunvale_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TUNVALE_SOURCE_DIR="${TUNVALE_ROOT}"
    TUNVALE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TUNVALE_SOURCE_DIR=${TUNVALE_ROOT}")
endfunction()
