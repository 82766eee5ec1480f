# Fails when a file includes across host families against the declared graph:
# a file in host/<family>/ may include only its own family and the families
# <family> declares (GRAPH_FILE: one "family:used,..." line per family, written
# by host/CMakeLists.txt), and the module's code (source/, frameworks/)
# includes nothing of host/.
# cmake -DSOURCE_DIR=<tree> -DGRAPH_FILE=<file> -P check_family_includes.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT GRAPH_FILE)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<tree> -DGRAPH_FILE=<file> -P check_family_includes.cmake")
endif()

file(STRINGS ${GRAPH_FILE} edges)
set(families)
foreach(edge IN LISTS edges)
  string(REGEX MATCH "^([a-z_]+):(.*)$" whole "${edge}")
  if(NOT whole)
    message(FATAL_ERROR "${GRAPH_FILE}: not a family line: '${edge}'")
  endif()
  list(APPEND families ${CMAKE_MATCH_1})
  string(REPLACE "," ";" "uses_${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}")
endforeach()

set(violations)
# Appends "file:line: includes host/<used>/..." for every include of a host
# family in file that is not in the allowed list.
function(check_file file allowed)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]host/")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "host/([a-z_]+)/" whole "${line}")
    if(NOT whole OR NOT CMAKE_MATCH_1 IN_LIST allowed)
      file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
      string(STRIP "${line}" line)
      set(violations ${violations} "${shown}: ${line}" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

file(GLOB folders LIST_DIRECTORIES true ${SOURCE_DIR}/host/*)
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${folder})
    continue()
  endif()
  get_filename_component(family ${folder} NAME)
  if(NOT family IN_LIST families)
    message(FATAL_ERROR "host/${family} is not declared as a family in host/CMakeLists.txt")
  endif()
  file(GLOB_RECURSE files ${folder}/*.h ${folder}/*.cpp)
  foreach(file IN LISTS files)
    check_file(${file} "${family};${uses_${family}}")
  endforeach()
endforeach()

file(GLOB_RECURSE module_files ${SOURCE_DIR}/source/*.h ${SOURCE_DIR}/source/*.cpp
     ${SOURCE_DIR}/frameworks/*.h ${SOURCE_DIR}/frameworks/*.cpp)
foreach(file IN LISTS module_files)
  check_file(${file} "")
endforeach()

if(violations)
  list(JOIN violations "\n  " shown)
  message(FATAL_ERROR "includes against the family graph (host/CMakeLists.txt):\n  ${shown}")
endif()
list(LENGTH families count)
message(STATUS "family graph: ${count} families, every include follows it")
