# Every dependency comes from Debian's packages (scripts/setup.sh installs them).
find_package(Threads REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(CLI11 REQUIRED)
find_package(PNG REQUIRED)
find_package(TBB REQUIRED)
# ThreadSanitizer cannot see how Debian's uninstrumented libtbb hands work
# between threads, and reports every such hand-over as a race.
if(QUORVANE_SANITIZE STREQUAL "thread" AND TBB_DIR MATCHES "^/usr/")
  message(WARNING "QUORVANE_SANITIZE=thread with the system's oneTBB (${TBB_DIR}): expect false race reports. "
                  "Build an instrumented oneTBB with scripts/build_tsan_tbb.sh PREFIX and configure with "
                  "-DTBB_DIR=PREFIX/lib/cmake/TBB")
endif()
find_package(TinyGLTF REQUIRED)
find_package(tinyobjloader REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
# Debian builds cpp-httplib as a compiled library: its pkg-config file brings
# the library and the feature macros it was built with.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

# Debian's OpenSubdiv CMake config names a static library the package does not
# ship, so find the CPU library and headers directly.
find_path(OSD_INCLUDE_DIR opensubdiv/far/topologyRefiner.h REQUIRED)
find_library(OSD_CPU_LIBRARY osdCPU REQUIRED)
add_library(OpenSubdiv::osdCPU UNKNOWN IMPORTED)
set_target_properties(OpenSubdiv::osdCPU PROPERTIES
  IMPORTED_LOCATION ${OSD_CPU_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${OSD_INCLUDE_DIR})

# Embree's bounding-volume collision query finds candidate face pairs for the
# mesh inspector's self-intersection test.
find_package(embree 3 REQUIRED)

# meshoptimizer simplifies an asset's levels of detail and orders their
# vertices for the GPU.
find_package(meshoptimizer REQUIRED)

find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)

if(QUORVANE_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(QUORVANE_BUILD_BENCH)
  find_package(benchmark REQUIRED)
  find_path(LIBNOISE_INCLUDE_DIR noise.h PATH_SUFFIXES libnoise)
  find_library(LIBNOISE_LIBRARY NAMES noise libnoise)
endif()
