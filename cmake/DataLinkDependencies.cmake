# Finds every external dependency; a missing one stops configuration with the
# name of the Debian package that provides it.

function(datalink_require found what package)
  if(NOT ${found})
    message(FATAL_ERROR "${what} was not found. Install the Debian package '${package}' "
                        "(scripts/install-deps.sh installs every dependency).")
  endif()
endfunction()

foreach(component Core Gui Widgets Xml Sql Test Network)
  find_package(Qt5${component} 5.15 QUIET)
  datalink_require(Qt5${component}_FOUND "Qt 5.15 ${component}" "qtbase5-dev")
endforeach()

find_package(OpenMP QUIET)
datalink_require(OpenMP_CXX_FOUND "OpenMP" "libgomp1 (with g++)")

find_package(PkgConfig QUIET)
datalink_require(PKG_CONFIG_FOUND "pkg-config" "pkg-config")
pkg_check_modules(PROJ QUIET IMPORTED_TARGET proj>=9)
datalink_require(PROJ_FOUND "PROJ 9" "libproj-dev")

find_path(SEGYIO_INCLUDE_DIR segyio/segy.h)
find_library(SEGYIO_LIBRARY NAMES segyio)
if(SEGYIO_INCLUDE_DIR AND SEGYIO_LIBRARY)
  set(SEGYIO_FOUND TRUE)
endif()
datalink_require(SEGYIO_FOUND "segyio" "libsegyio-dev")
if(NOT TARGET segyio::segyio)
  add_library(segyio::segyio UNKNOWN IMPORTED)
  set_target_properties(segyio::segyio PROPERTIES
    IMPORTED_LOCATION "${SEGYIO_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${SEGYIO_INCLUDE_DIR}")
endif()

find_package(SQLite3 QUIET)
datalink_require(SQLite3_FOUND "SQLite 3" "libsqlite3-dev")

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
