# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in the build folder makes a Debian package of the install
# rules; its Depends are computed from the programs by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME "miran")
set(CPACK_PACKAGE_VENDOR "MIRAN")
set(CPACK_PACKAGE_VERSION "${MIRAN_PACKAGE_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set up and exercise a radio modem on a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "MIRAN Modem Utility reads a radio modem's configuration over a serial port,
shows it as twelve fields and writes the edited fields back. Its terminal
sends typed characters to the modem and shows what comes back.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "MIRAN Modem Utility developers <miran@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION "comm")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's layout is measured for Courier New; Liberation Mono has its metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

include(CPack)
