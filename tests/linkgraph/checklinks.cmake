cmake_minimum_required(VERSION 3.16)
# Run by CTest (cmake -P): fails when a target of the library graph reaches a
# library it must not, or when the headless executable loads Qt Widgets.
# Variables: GRAPH (linkgraph.txt), HEADLESS (the executable), CORE_SOURCES
# (the exchange core's folder), WIDGETS_INCLUDE (Qt's QtWidgets headers).
file(STRINGS ${GRAPH} lines)
set(failures "")
set(rules
  "openworkscore|Qt5::Widgets"
  "openworkscore|openworks"
  "openworkscore|projectbrowser"
  "openworkscore|vswidgets"
  "openworkscore|georeferencewidgets"
  "openworkscore|welldatabasewidgets"
  "datalinkheadless|Qt5::Widgets"
  "owdatalink-headless|Qt5::Widgets"
  "georeference|owdevkit"
  "georeference|Qt5::Widgets"
  "hostxml|owdevkit"
  "hostcore|owdevkit"
  "hostcore|Qt5::Widgets"
  "zr3dobject|owdevkit"
  "zr3dobject|Qt5::Widgets"
  "faults|owdevkit"
  "faults|Qt5::Widgets"
  "welldatabase|owdevkit"
  "welldatabase|Qt5::Widgets")
set(checked "")
foreach(line ${lines})
  string(REGEX MATCH "^([^:]+): ?(.*)$" matched "${line}")
  set(target ${CMAKE_MATCH_1})
  string(REPLACE " " ";" closure "${CMAKE_MATCH_2}")
  list(APPEND checked ${target})
  foreach(rule ${rules})
    string(REPLACE "|" ";" pair "${rule}")
    list(GET pair 0 ruleTarget)
    list(GET pair 1 forbidden)
    if(ruleTarget STREQUAL target AND forbidden IN_LIST closure)
      string(APPEND failures "  ${target} links ${forbidden}\n")
    endif()
  endforeach()
endforeach()
foreach(required openworkscore owdatalink-headless georeference hostcore)
  if(NOT required IN_LIST checked)
    string(APPEND failures "  ${required} is missing from the link graph\n")
  endif()
endforeach()
execute_process(COMMAND ldd ${HEADLESS} OUTPUT_VARIABLE loaded RESULT_VARIABLE lddResult)
if(NOT lddResult EQUAL 0)
  string(APPEND failures "  ldd ${HEADLESS} failed\n")
elseif(loaded MATCHES "libQt5Widgets")
  string(APPEND failures "  ${HEADLESS} loads libQt5Widgets\n")
endif()
# No source of the exchange core includes a header of Qt Widgets.
file(GLOB coreSources ${CORE_SOURCES}/*.h ${CORE_SOURCES}/*.cpp)
foreach(source ${coreSources})
  file(STRINGS ${source} includes REGEX "^#include [<\"](QtWidgets/)?Q[A-Za-z]+[>\"]")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include [<\"](QtWidgets/)?(Q[A-Za-z]+)[>\"].*$" "\\2" header "${line}")
    if(EXISTS ${WIDGETS_INCLUDE}/${header})
      get_filename_component(name ${source} NAME)
      string(APPEND failures "  ${name} includes the widget header ${header}\n")
    endif()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "Library graph check failed:\n${failures}")
endif()
list(LENGTH checked count)
message(STATUS "Library graph check passed (${count} targets; the headless executable loads no Qt Widgets).")
