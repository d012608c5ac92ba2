# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build (included by the top-level CMakeLists.txt when cross-
# compiling with cmake/mingw-w64-x86_64.cmake): the in-process server over
# the system's COM, the host's server of its creatable classes, and the
# programs that drive them under Wine. Every module stands alone: the C and
# C++ runtimes are linked in, so each imports only Windows' own DLLs.
enable_language(C RC)

add_compile_options(-Wall -Wextra -Werror)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The exports are stdcall (DllGetClassObject@12); the .def files name them
  # as the system looks them up, undecorated.
  add_link_options(-Wl,--enable-stdcall-fixup)
endif()

include_directories(${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})

set(NIMBO_OUTPUT_DIR ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${NIMBO_OUTPUT_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${NIMBO_OUTPUT_DIR})
# Type libraries, compiled from IDL, land here for the resource compiler and the clients.
set(NIMBO_TYPELIB_DIR ${PROJECT_BINARY_DIR}/typelibs)
file(MAKE_DIRECTORY ${NIMBO_TYPELIB_DIR})

# Debian's mingw-w64 ships no IDL files; Wine's development files have oaidl.idl.
find_path(NIMBO_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(NIMBO_WIDL_PROGRAM ${NIMBO_WIDL} REQUIRED)

# nimbo_type_library(NAME IDL file [IMPORTS tlb targets ...]): compiles the
# IDL into ${NIMBO_TYPELIB_DIR}/NAME.tlb and a C header NAME.h (for clients
# that see the interfaces as the IDL declares them), and makes a target NAME
# that stands for both.
function(nimbo_type_library name)
  cmake_parse_arguments(ARG "" "IDL" "IMPORTS" ${ARGN})
  set(tlb ${NIMBO_TYPELIB_DIR}/${name}.tlb)
  set(header ${NIMBO_TYPELIB_DIR}/${name}.h)
  set(imported)
  foreach(import IN LISTS ARG_IMPORTS)
    list(APPEND imported ${NIMBO_TYPELIB_DIR}/${import}.tlb)
  endforeach()
  add_custom_command(
    OUTPUT ${tlb} ${header}
    COMMAND ${NIMBO_WIDL_PROGRAM} --${NIMBO_WIDL_TARGET} -I ${NIMBO_WINE_IDL_DIR} -I ${PROJECT_SOURCE_DIR}/vexo
            -L ${NIMBO_WINE_WINDOWS_DIR} -L ${NIMBO_TYPELIB_DIR} -t -T ${tlb} -h -H ${header}
            ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_IDL}
    WORKING_DIRECTORY ${NIMBO_TYPELIB_DIR}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_IDL} ${PROJECT_SOURCE_DIR}/vexo/vexointerfaces.idl ${imported}
    COMMENT "Compiling the type library ${name}"
    VERBATIM)
  add_custom_target(${name} DEPENDS ${tlb} ${header})
endfunction()

# The picture tables; the plug-in's images/ folder lands beside it in bin/.
set(NIMBO_PRIVATE_LIBDIR bin)
include(cmake/NimboTables.cmake)

set(NIMBO_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")

foreach(dir platform/com platform/forms vexo nimbo state ui display dialog plugin images win32 tests/windows)
  add_subdirectory(${dir})
endforeach()

# nimbo-lux-VERSION-win64.zip (or -win32): what a user needs, from the built files
# (scripts/nimbo windows builds it once the tests under Wine have passed).
set(zip_name nimbo-lux-${PROJECT_VERSION}-${NIMBO_WIDL_TARGET})
set(zip_stage ${PROJECT_BINARY_DIR}/${zip_name})
configure_file(packaging/windows/README-windows.txt ${PROJECT_BINARY_DIR}/README-windows.txt @ONLY)
add_custom_target(nimbo_zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_stage} ${zip_stage}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_stage}/images
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:nimbolux> $<TARGET_FILE:vexo_hostserver>
          $<TARGET_FILE:vexo_consolehost> ${PROJECT_BINARY_DIR}/README-windows.txt ${PROJECT_SOURCE_DIR}/LICENSE
          ${zip_stage}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${NIMBO_OUTPUT_DIR}/images ${zip_stage}/images
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip_name}.zip --format=zip ${zip_name}
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  DEPENDS nimbolux vexo_hostserver vexo_consolehost nimbo_images
  COMMENT "Packing ${zip_name}.zip"
  VERBATIM)
