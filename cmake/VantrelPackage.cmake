# The Debian package: `cpack -G DEB` in the build folder (scripts/package) makes
# vantrel_<version>_<arch>.deb there from the install rules, with the library dependencies
# that dpkg-shlibdeps finds in the installed program.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTREL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window cannot open without a Qt platform plugin, which the Qt libraries only recommend.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The toolkit's own dialog texts in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "controller for a six-servo robot arm on a serial line")
# Wrapped so that each line of the control file, a space ahead, stays within 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Vantrel drives a hobby robot arm of six servos through its servo controller
on a serial port. Jog the servos with a joystick, record poses into movement
scripts, edit them in a grid and play them back, or send the tool point to an
X, Y, Z point through inverse kinematics; a virtual controller draws the arm
when none is connected. All settings live in one ini file.")
include(CPack)
