# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of an installation: `cpack -G DEB` in the build folder
# (scripts/nimbo package builds and checks it). Its dependencies are read off
# the binaries by dpkg-shlibdeps; the plug-in's private folder is named so
# that the platform libraries in it are known to be ours.
set(NIMBO_MAINTAINER "Nimbo Lux developers <maintainers@nimbo-lux.example>"
    CACHE STRING "The Maintainer field of the package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbo-lux)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Nimbo Lux developers")
set(CPACK_PACKAGE_CONTACT ${NIMBO_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lighting channels shown as glowing hot-air balloons")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Nimbo Lux shows nine channels of a lighting console as nine hot-air balloons
(nimbos): each envelope glows at one of seven levels with its burner flame lit
or dark, in a colour picked in a small dialog.
.
vexo-host, the program of this package, loads the Nimbo Lux plug-in as a
lighting-control host does and feeds it channel values: a built-in demo, show
files of any length (its own text format or recordings of ola_recorder),
standard input, faders, or a live universe from the OLA daemon. It can write
a snapshot of the display window and record it as an animated GIF or WebP.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${NIMBO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NIMBO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_PREFIX}/${NIMBO_PRIVATE_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ola)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
