# cmake -DCHECKER=<check_include_layers.cmake> -DWORK=<empty folder> -P check_include_layers_test.cmake
#
# Runs the include-layer check on a small tree where every allowed kind of include appears once
# and each kind of violation once, and fails unless exactly the violations are reported.
cmake_minimum_required(VERSION 3.25)

if(NOT CHECKER OR NOT WORK)
  message(FATAL_ERROR "usage: cmake -DCHECKER=<checker> -DWORK=<folder> -P check_include_layers_test.cmake")
endif()

file(REMOVE_RECURSE ${WORK})

# file | its includes | whether the check must report it
set(cases
  "catalog/records/own.h|#include \"catalog/text/codepage.h\"|ok"
  "formats/wav/reads_catalog.cpp|#include \"formats/container/chunk_walker.h\"\n#include \"catalog/records/current_tags.h\"|ok"
  "output/reads_below.cpp|#include \"formats/mp3/mp3_tags.h\"\n#include <catalog/genre/genre_table.h>\n#include <vector>|ok"
  "engine/reads_output.h|#include \"output/place_file.h\"|ok"
  "cli/reads_engine.cpp|#include \"engine/organizer.h\"\n#include <CLI/CLI.hpp>|ok"
  "ui/uses_qt.cpp|#include \"engine/organizer.h\"\n#include <QWidget>\n#include <QtCore/QString>|ok"
  "catalog/grouping/reads_formats.cpp|#include \"formats/wav/wave_file.h\"|bad"
  "formats/flac/reads_output.h|  #  include \"output/place_file.h\"|bad"
  "output/reads_engine.cpp|#include <engine/run_options.h>|bad"
  "engine/reads_cli.cpp|#include \"cli/commands.h\"|bad"
  "cli/reads_ui.cpp|#include \"ui/about_dialog.h\"|bad"
  "ui/reads_cli.cpp|#include \"cli/terminal.h\"|bad"
  "engine/uses_qt.cpp|#include <QString>|bad"
  "cli/uses_qt_module.cpp|#include <QtCore/QCoreApplication>|bad"
  "output/climbs_out.cpp|#include \"../engine/organizer.h\"|bad"
)

set(expected_bad 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  list(GET fields 1 includes)
  string(REPLACE "\\n" "\n" includes "${includes}")
  file(WRITE ${WORK}/${file} "// fixture\n${includes}\n")
  if(case MATCHES "\\|bad$")
    math(EXPR expected_bad "${expected_bad} + 1")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECKER}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(report "${out}${err}")

set(failures)
if(status EQUAL 0)
  list(APPEND failures "the check passed a tree with violations")
endif()
if(NOT report MATCHES "${expected_bad} include\\(s\\) reach a higher layer")
  list(APPEND failures "the check did not count ${expected_bad} violations")
endif()
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  string(REPLACE "." "\\." pattern "${file}")
  if(case MATCHES "\\|bad$" AND NOT report MATCHES "layer violation: ${pattern} ")
    list(APPEND failures "not reported: ${file}")
  elseif(case MATCHES "\\|ok$" AND report MATCHES "layer violation: ${pattern} ")
    list(APPEND failures "reported though allowed: ${file}")
  endif()
endforeach()

if(failures)
  string(REPLACE ";" "\n  " failures "${failures}")
  message(FATAL_ERROR "include-layer check:\n  ${failures}\nits output:\n${report}")
endif()
message("include-layer check: ${expected_bad} violations reported, allowed includes passed")
