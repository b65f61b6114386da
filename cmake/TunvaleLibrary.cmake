# tunvale_library(NAME folder [DEPS ...] [POSIX_SOURCES ...] [WIN32_SOURCES ...]): one static
# library from every .cpp below a folder. Portable sources are globbed, so that a new file in a
# subsystem folder needs no CMake edit. Platform sources are named explicitly, relative to the
# folder: POSIX_SOURCES build everywhere but Windows, WIN32_SOURCES only on Windows. A file named
# *_posix.cpp or *_win.cpp that is in neither list stops the configuration, so that no platform
# file is built, or left out, by accident.
function(tunvale_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS;POSIX_SOURCES;WIN32_SOURCES" ${ARGN})
  set(folder_path ${TUNVALE_ROOT}/${folder})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder_path}/*.cpp)
  tunvale_platform_sources(sources ${folder_path} POSIX_SOURCES ${ARG_POSIX_SOURCES} WIN32_SOURCES ${ARG_WIN32_SOURCES})
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

# tunvale_platform_sources(VAR folder_path POSIX_SOURCES ... WIN32_SOURCES ...): takes every
# listed platform source out of the list in VAR and puts back those of the platform built for.
function(tunvale_platform_sources var folder_path)
  cmake_parse_arguments(ARG "" "" "POSIX_SOURCES;WIN32_SOURCES" ${ARGN})
  set(sources ${${var}})
  set(listed)
  foreach(file IN LISTS ARG_POSIX_SOURCES ARG_WIN32_SOURCES)
    if(NOT EXISTS ${folder_path}/${file})
      message(FATAL_ERROR "Platform source ${folder_path}/${file} does not exist")
    endif()
    list(APPEND listed ${folder_path}/${file})
  endforeach()
  if(listed)
    list(REMOVE_ITEM sources ${listed})
  endif()
  foreach(file IN LISTS sources)
    if(file MATCHES "_(posix|win)\\.cpp$")
      message(FATAL_ERROR "${file} is a platform source: name it in POSIX_SOURCES or WIN32_SOURCES")
    endif()
  endforeach()
  if(WIN32)
    list(TRANSFORM ARG_WIN32_SOURCES PREPEND ${folder_path}/)
    list(APPEND sources ${ARG_WIN32_SOURCES})
  else()
    list(TRANSFORM ARG_POSIX_SOURCES PREPEND ${folder_path}/)
    list(APPEND sources ${ARG_POSIX_SOURCES})
  endif()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

# tunvale_test_code(TARGET [HEADERS ...]): compiles a target made of test code. Test code is built
# without optimisation, whatever the build type: it is compiled far more often than it runs, and
# -O2 tripled its compile time (the code under test keeps the build type's flags). The headers
# given (GoogleTest, the standard library, a framework) are precompiled once for the target
# instead of being parsed again in every file.
function(tunvale_test_code target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O0>)
  endif()
  if(ARGN)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# tunvale_test(NAME folder DEPS ... [HEADERS ...]): one GoogleTest executable from every .cpp of
# tests/<folder>; HEADERS are precompiled beside TUNVALE_TEST_HEADERS.
function(tunvale_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPS;HEADERS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${TUNVALE_ROOT}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  tunvale_test_code(${name} ${TUNVALE_TEST_HEADERS} ${ARG_HEADERS})
  target_include_directories(${name} PRIVATE ${TUNVALE_ROOT} ${TUNVALE_ROOT}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tunvale_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TUNVALE_SOURCE_DIR="${TUNVALE_ROOT}"
    TUNVALE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Labelled with the folder, so one subsystem's tests can be run alone (ctest -L engine).
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TUNVALE_SOURCE_DIR=${TUNVALE_ROOT}" LABELS ${folder})
endfunction()
