# cmake -DROOT=<source folder> -P check_include_layers.cmake
#
# Fails when a file of a subsystem includes a header of a subsystem above it. The layers, from
# the bottom:
#   catalog                tag records, text, genres, intake, grouping
#   formats                the file format readers and writers (they fill catalog records)
#   output                 names, placement, tag rewrite, conversion
#   engine                 options, session, worker, scan, undo, journal
#   cli, ui                the two front ends, which never include each other
# A subsystem includes its own headers and those of the layers below it. Qt headers are for
# ui/ only: the engine libraries and the command line are built without Qt. Includes name the
# subsystem: a path that climbs out of the folder ("../engine/x.h") is refused as well.
# Includes are read in both forms, "formats/wav/wave_file.h" and <formats/wav/wave_file.h>.

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -P check_include_layers.cmake")
endif()

set(subsystems catalog formats output engine cli ui)
set(allowed_catalog catalog)
set(allowed_formats catalog formats)
set(allowed_output catalog formats output)
set(allowed_engine catalog formats output engine)
set(allowed_cli catalog formats output engine cli)
set(allowed_ui catalog formats output engine ui)
set(qt_allowed ui)

set(violations 0)
set(checked 0)
foreach(subsystem IN LISTS subsystems)
  file(GLOB_RECURSE files ${ROOT}/${subsystem}/*.h ${ROOT}/${subsystem}/*.hpp ${ROOT}/${subsystem}/*.cpp)
  foreach(file IN LISTS files)
    math(EXPR checked "${checked} + 1")
    file(RELATIVE_PATH shown ${ROOT} ${file})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
        continue()
      endif()
      set(header ${CMAKE_MATCH_1})
      if(header MATCHES "(^|/)\\.\\./")
        message("layer violation: ${shown} includes \"${header}\": name the subsystem instead of a relative path")
        math(EXPR violations "${violations} + 1")
      elseif(header MATCHES "^([a-z_]+)/" AND CMAKE_MATCH_1 IN_LIST subsystems)
        string(REGEX REPLACE "/.*" "" target ${header})
        if(NOT target IN_LIST allowed_${subsystem})
          message("layer violation: ${shown} includes \"${header}\": ${subsystem}/ may include ${allowed_${subsystem}} only")
          math(EXPR violations "${violations} + 1")
        endif()
      elseif(header MATCHES "^Qt[A-Za-z]*/|^Q[A-Z][A-Za-z]*$" AND NOT subsystem IN_LIST qt_allowed)
        message("layer violation: ${shown} includes <${header}>: only ui/ may include Qt")
        math(EXPR violations "${violations} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source file found below ${ROOT}")
endif()
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) reach a higher layer")
endif()
message("include layers: ${checked} files checked, no include reaches a higher layer")
