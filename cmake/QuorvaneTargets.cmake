# Helpers shared by the per-layer CMake files.

# Strict warnings for the project's own code; errors only when asked for, so a
# user's newer or older compiler never breaks their build.
function(qv_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QUORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A host library made of every .cpp in host/<name>/.
# qv_host_library(<name> [DEPS targets...])
function(qv_host_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target qv_host_${name})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC qv_api)
  # Families not built yet are skipped, so the tree builds while it grows.
  foreach(dep IN LISTS ARG_DEPS)
    if(TARGET ${dep})
      target_link_libraries(${target} PUBLIC ${dep})
    endif()
  endforeach()
  qv_strict(${target})
endfunction()

# A GoogleTest executable made of every *_test.cpp in a test folder.
# qv_test_dir(<name> <folder> LIBS targets...)
function(qv_test_dir name folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp ${folder}/*_support.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    QV_BUILD_DIR="${CMAKE_BINARY_DIR}" QV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  qv_strict(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endfunction()
