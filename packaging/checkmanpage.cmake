# SPDX-License-Identifier: GPL-3.0-or-later
# Fails unless the manual page of miran-cli names exactly the options and exit
# codes its help text names: the page is written by hand and must stay true.
# Usage: cmake -DCLI=<miran-cli> -DPAGE=<miran-cli.1> -P checkmanpage.cmake
cmake_policy(SET CMP0007 NEW)

set(help "")
foreach(command "" ports read write find)
    set(arguments ${command} --help)
    execute_process(COMMAND "${CLI}" ${arguments} OUTPUT_VARIABLE text RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${CLI} ${arguments} failed: ${result}")
    endif()
    string(APPEND help "${text}")
endforeach()
file(READ "${PAGE}" page)
# The page writes each "-" of an option as "\-".
string(REPLACE "\\-" "-" page "${page}")

string(REGEX MATCHALL "--[a-z][a-z-]*" help_options "${help}")
string(REGEX MATCHALL "--[a-z][a-z-]*" page_options "${page}")
list(REMOVE_DUPLICATES help_options)
list(REMOVE_DUPLICATES page_options)
list(SORT help_options)
list(SORT page_options)
if(NOT help_options STREQUAL page_options)
    message(FATAL_ERROR "Options differ.\n  help: ${help_options}\n  page: ${page_options}")
endif()

# Exit codes: "  N  meaning" in the help, ".B N" in the page.
string(REGEX MATCHALL "\n  [0-9+N]+  " help_codes "${help}")
string(REGEX MATCHALL "\n\\.B [0-9+N]+\n" page_codes "${page}")
string(REGEX REPLACE "[\n .B]+" ";" help_codes "${help_codes}")
string(REGEX REPLACE "[\n .B]+" ";" page_codes "${page_codes}")
list(REMOVE_ITEM help_codes "")
list(REMOVE_ITEM page_codes "")
list(REMOVE_DUPLICATES help_codes)
list(SORT help_codes)
list(SORT page_codes)
if(NOT help_codes STREQUAL page_codes)
    message(FATAL_ERROR "Exit codes differ.\n  help: ${help_codes}\n  page: ${page_codes}")
endif()
message(STATUS "${PAGE}: ${help_options}; exit codes ${help_codes}")
