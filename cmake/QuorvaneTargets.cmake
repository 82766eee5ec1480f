# Helpers shared by the per-layer CMake files.

# Strict warnings for the project's own code; errors only when asked for, so a
# user's newer or older compiler never breaks their build.
function(qv_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QUORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Links target to the libraries of the host families that host/<family> uses
# and records the edges for the family_graph test. A family must be declared
# before the families that use it, so the graph has no loop.
# qv_use_host_families(<target> <family> <PUBLIC|PRIVATE> families...)
function(qv_use_host_families target family scope)
  foreach(used IN LISTS ARGN)
    if(NOT TARGET qv_host_${used})
      message(FATAL_ERROR "host/${family} uses host/${used}, which is not declared before it: "
                          "families depend one way, in declaration order")
    endif()
    target_link_libraries(${target} ${scope} qv_host_${used})
  endforeach()
  string(REPLACE ";" "," used "${ARGN}")
  set_property(GLOBAL APPEND PROPERTY QV_FAMILY_GRAPH "${family}:${used}")
endfunction()

# A host library made of every .cpp in host/<name>/.
# qv_host_library(<name> [FAMILIES host families...] [DEPS other targets...])
function(qv_host_library name)
  cmake_parse_arguments(ARG "" "" "FAMILIES;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "host/${name} has no .cpp files to build qv_host_${name} from")
  endif()
  set(target qv_host_${name})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC qv_api ${ARG_DEPS})
  qv_use_host_families(${target} ${name} PUBLIC ${ARG_FAMILIES})
  qv_strict(${target})
endfunction()

# A GoogleTest executable made of every *_test.cpp in a test folder.
# qv_test_dir(<name> <folder> LIBS targets...)
function(qv_test_dir name folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp ${folder}/*_support.cpp)
  if(NOT sources)
    message(FATAL_ERROR "${folder} has no *_test.cpp files to build ${name} from")
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    QV_BUILD_DIR="${CMAKE_BINARY_DIR}" QV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  qv_strict(${name})
  # One variable only: gtest_discover_tests passes its properties on as a flat
  # list, so a second variable would become a property of its own and be lost.
  if(QUORVANE_SANITIZE STREQUAL "thread")
    set(environment "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
  else()
    set(environment "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT "${environment}")
endfunction()
