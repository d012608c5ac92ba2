# SPDX-License-Identifier: GPL-3.0-or-later
# Precompiled headers: the Qt and standard headers that most of our sources
# include, parsed once for each kind of target rather than once per source
# (a host source spends more than half of its compile time in Qt's headers).
# One donor target of each kind builds the header; every target of that kind
# reuses it, so they must share its compile flags: PIC libraries that link Qt
# Widgets, PIC libraries that link Qt Core alone, and the tests (PIE
# executables with GoogleTest). -Winvalid-pch says so when a target cannot
# use its header after all.
option(NIMBO_PCH "Precompile the Qt, standard and GoogleTest headers" ON)

set(_nimbo_pch_core
  <algorithm> <array> <cstdint> <cstring> <functional> <memory> <optional> <string> <string_view> <utility>
  <vector> <QByteArray> <QDir> <QFile> <QFileInfo> <QObject> <QString> <QStringList> <QTimer>)
set(_nimbo_pch_widgets ${_nimbo_pch_core} <QApplication> <QColor> <QImage> <QPainter> <QRect> <QWidget>)
set(_nimbo_pch_tests ${_nimbo_pch_widgets} <gtest/gtest.h> <QProcess> <QTemporaryDir> <QThread>)

function(_nimbo_pch_donor kind)
  set(donor nimbo_pch_${kind})
  if(TARGET ${donor})
    return()
  endif()
  set(source ${PROJECT_BINARY_DIR}/precompiled/${kind}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled header's own source: no code.\n")
  add_library(${donor} OBJECT ${source})
  if(kind STREQUAL "core")
    target_link_libraries(${donor} PRIVATE Qt6::Core)
  elseif(kind STREQUAL "widgets")
    target_link_libraries(${donor} PRIVATE Qt6::Widgets)
  else()
    target_link_libraries(${donor} PRIVATE Qt6::Widgets GTest::gtest)
    # As an executable is compiled.
    set_target_properties(${donor} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
    target_compile_options(${donor} PRIVATE -fPIE)
  endif()
  target_precompile_headers(${donor} PRIVATE ${_nimbo_pch_${kind}})
endfunction()

# nimbo_precompile(KIND TARGET...): the targets reuse the header of KIND
# (core, widgets or tests).
function(nimbo_precompile kind)
  if(NOT NIMBO_PCH)
    return()
  endif()
  _nimbo_pch_donor(${kind})
  foreach(target IN LISTS ARGN)
    target_precompile_headers(${target} REUSE_FROM nimbo_pch_${kind})
    target_compile_options(${target} PRIVATE -Winvalid-pch)
  endforeach()
endfunction()
