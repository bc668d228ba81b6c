# SPDX-License-Identifier: GPL-3.0-or-later
# MIRAN_PACKAGE_VERSION: the Debian package's version. A package built on
# Debian names its release (1.0.35~deb13), since it depends on that
# release's Qt and installs only there; elsewhere it is the project's version.
set(MIRAN_PACKAGE_VERSION "${PROJECT_VERSION}")
if(EXISTS /etc/os-release)
    file(STRINGS /etc/os-release os_id REGEX "^ID=")
    file(STRINGS /etc/os-release os_version REGEX "^VERSION_ID=")
    if(os_id STREQUAL "ID=debian" AND os_version MATCHES "^VERSION_ID=\"?([0-9]+)\"?$")
        string(APPEND MIRAN_PACKAGE_VERSION "~deb${CMAKE_MATCH_1}")
    endif()
endif()
