# SPDX-License-Identifier: GPL-3.0-or-later
# The release this tree builds, read from the package's changelog: its first
# entry must be for PROJECT_VERSION (a version bump comes with its entry),
# and that entry's date is the release date. It dates the metainfo's release
# and the manual page, and is the time stamped on the package's files, so the
# same sources give the same package wherever and whenever they are built.
#   NIMBO_RELEASE_DATE   2026-12-08
#   NIMBO_RELEASE_EPOCH  seconds since 1970 (SOURCE_DATE_EPOCH)
set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} lines)
list(GET lines 0 first)
string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
if(NOT first MATCHES "^nimbo-lux \\(${version_pattern}\\) ")
  message(FATAL_ERROR "packaging/changelog: the first entry is not for version ${PROJECT_VERSION} "
                      "(project() in CMakeLists.txt); add one: ${first}")
endif()
set(trailer)
foreach(line IN LISTS lines)
  if(line MATCHES "^ -- .*>  (.+)$")
    set(trailer ${CMAKE_MATCH_1})
    break()
  endif()
endforeach()
if(NOT trailer)
  message(FATAL_ERROR "packaging/changelog: the first entry has no ' -- name <address>  date' line")
endif()
execute_process(COMMAND date -u -d "${trailer}" +%F%n%s
                OUTPUT_VARIABLE release OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "packaging/changelog: cannot read the date '${trailer}'")
endif()
string(REPLACE "\n" ";" release "${release}")
list(GET release 0 NIMBO_RELEASE_DATE)
list(GET release 1 NIMBO_RELEASE_EPOCH)
