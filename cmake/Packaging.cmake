# What a Linux installation carries besides the programs and their data (desktop
# integration, manual pages, shell completion), and the Debian package CPack makes of it:
#   cmake -S . -B build -DCMAKE_INSTALL_PREFIX=/usr && cmake --build build
#   cd build && cpack -G DEB
# (scripts/package.sh does this on the normal build folder).

if(SLEEVIT_GUI)
  foreach(px 48 128)
    install(FILES resources/desktop/icons/${px}x${px}/sleevit.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${px}x${px}/apps)
  endforeach()
  install(FILES resources/desktop/org.sleevit.Sleevit.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Manual pages and the package's change log, compressed as Debian keeps them.
set(compressed)
foreach(source docs/man/sleevit.1 docs/man/sleevit-cli.1 resources/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(out ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/compressed
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/${source} -DOUT=${out} -P ${CMAKE_SOURCE_DIR}/cmake/Gzip.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} ${CMAKE_SOURCE_DIR}/cmake/Gzip.cmake
    COMMENT "Compressing ${source}")
  list(APPEND compressed ${out})
endforeach()
add_custom_target(sleevit_compressed ALL DEPENDS ${compressed})
set(man_pages ${compressed})
list(FILTER man_pages INCLUDE REGEX "\\.1\\.gz$")
if(NOT SLEEVIT_GUI)
  list(FILTER man_pages EXCLUDE REGEX "/sleevit\\.1\\.gz$")
endif()
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/completion/sleevit-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES resources/debian/copyright ${CMAKE_BINARY_DIR}/compressed/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sleevit)

# What the package holds, so that packaging need not build the tests.
add_custom_target(sleevit_package_contents DEPENDS sleevit-cli sleevit_compressed)
if(SLEEVIT_GUI)
  add_dependencies(sleevit_package_contents sleevit)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sleevit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tessaly)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print covers for CD and DVD cases")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sleevit developers <packages@sleevit.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://sleevit.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above is the first line; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Sleevit prints covers for CD, DVD and Blu-ray cases at their exact size,
with cut marks and fold lines: CD fronts, booklets and back inlays, DVD and
Blu-ray sleeves, photos, disc labels and discs in a printer's CD tray.
The format is detected from the picture's proportions, and the back cover
that belongs to a front cover is loaded with it.

The package holds the window program, sleevit, and the command-line tool,
sleevit-cli, which prints to PDF files, PNG pictures or CUPS printers.")
include(CPack)
