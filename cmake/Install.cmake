# Installs the library, its public header, a CMake package and a pkg-config
# file, so a host finds Korvane with find_package(Korvane) or pkg-config.
include(CMakePackageConfigHelpers)

install(TARGETS Korvane EXPORT KorvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korvane)

set(KORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Korvane)
install(EXPORT KorvaneTargets NAMESPACE Korvane:: DESTINATION ${KORVANE_CMAKE_DIR})
configure_package_config_file(cmake/KorvaneConfig.cmake.in
  ${CMAKE_BINARY_DIR}/KorvaneConfig.cmake INSTALL_DESTINATION ${KORVANE_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KorvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/KorvaneConfig.cmake ${CMAKE_BINARY_DIR}/KorvaneConfigVersion.cmake
  DESTINATION ${KORVANE_CMAKE_DIR})

# The pkg-config file finds its prefix relative to itself, so the installed
# tree may be moved or installed with --prefix.
file(RELATIVE_PATH KORVANE_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KORVANE_PC_TO_PREFIX "${KORVANE_PC_TO_PREFIX}")
configure_file(cmake/korvane.pc.in ${CMAKE_BINARY_DIR}/korvane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/korvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
