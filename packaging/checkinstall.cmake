# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into PREFIX and fails unless exactly the EXPECTED files
# (relative to PREFIX) are there: no test, benchmark or simulator.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "Installed files differ.\n  installed: ${installed}\n  expected:  ${expected}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
