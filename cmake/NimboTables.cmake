# SPDX-License-Identifier: GPL-3.0-or-later
# The colour words and glow codes, read from state/tables.h, the one place
# where they are written; the code reads them from there too. Sets
# NIMBO_COLOUR_WORDS and NIMBO_GLOW_CODES (lists, in table order) and
# NIMBO_PICTURE_FILES (the 63 file names, colour-major).
set(_tables ${PROJECT_SOURCE_DIR}/state/tables.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_tables})
file(READ ${_tables} _text)

function(_nimbo_read_table name out)
  if(NOT _text MATCHES "${name} =[^{;]*{([^}]*)}")
    message(FATAL_ERROR "state/tables.h: no table ${name}")
  endif()
  string(REGEX MATCHALL "\"[^\"]+\"" items "${CMAKE_MATCH_1}")
  string(REPLACE "\"" "" items "${items}")
  set(${out} ${items} PARENT_SCOPE)
endfunction()

_nimbo_read_table(kColorWords NIMBO_COLOUR_WORDS)
_nimbo_read_table(kGlowCodes NIMBO_GLOW_CODES)

set(NIMBO_PICTURE_FILES)
foreach(word IN LISTS NIMBO_COLOUR_WORDS)
  foreach(code IN LISTS NIMBO_GLOW_CODES)
    list(APPEND NIMBO_PICTURE_FILES ${word}${code}.gif)
  endforeach()
endforeach()
