# The Debian package, made by CPack (scripts/package runs it): its name, version and
# description; its dependencies are read off the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TORVEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "identify, load and test a device board with an FPGA")
# CPack puts the summary above this and indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Torvel is a desktop tool for an engineer at a bench. Over one serial line
it is the Modbus ASCII master of a device board that carries an FPGA: it
identifies the board, uploads an FPGA configuration file to it, reads and
writes the board's coils, registers and RAM, and records its interrupt
events, with a journal of every event. The interface is in Russian.

The package also holds torvel-board, a simulated board on a
pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Files root's, control files with the modes dpkg expects.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The paths written into the menu entry and the launcher are the install prefix's, so the
# package must install under that same prefix (scripts/package configures /usr).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Only what the install rules above name; nothing of a parent project.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
