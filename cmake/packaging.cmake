# Installing the programs with their manual pages, README, licence and
# changelog, and the packages cpack makes of them: a .tar.gz and the Debian
# packages halves and halves-dbgsym on Linux, a .zip on Windows.
#
# The install rules fall in components. A plain install, the .tar.gz and the
# .zip take every component but those excluded from "all": "programs" (with
# their symbols), "docs" and "archive" (the licence and changelog as they
# are). The Debian packages are made of components of their own
# (cmake/debian-package.cmake).
include(GNUInstallDirs)

if(WIN32)
  # A folder to unpack anywhere: the programs and their documents side by side.
  set(program_destination .)
  set(doc_destination .)
else()
  set(program_destination ${CMAKE_INSTALL_BINDIR})
  set(doc_destination ${CMAKE_INSTALL_DOCDIR})
endif()
install(TARGETS splitter refuser RUNTIME DESTINATION ${program_destination} COMPONENT programs)
install(FILES README.md DESTINATION ${doc_destination} COMPONENT docs)
install(FILES LICENSE CHANGELOG.md DESTINATION ${doc_destination} COMPONENT archive)
include(cmake/manual-pages.cmake)

set(CPACK_PACKAGE_NAME halves)
set(CPACK_PACKAGE_VENDOR "the halves developers")
# The project has no mail address of its own: the reserved .invalid domain
# says so, in an address that is still well formed.
set(CPACK_PACKAGE_CONTACT "the halves developers <halves@halves.invalid>")
set(CPACK_PACKAGE_FILE_NAME_SUFFIX "")
# The archives' programs keep their symbols, so a report resolves against them.
set(CPACK_STRIP_FILES OFF)
set(CPACK_PACKAGE_CHECKSUM SHA256)
# The packages' times and owners, whoever runs cpack, where and when.
configure_file(cmake/cpack-options.cmake.in cpack-options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack-options.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/normalize-packages.cmake)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  include(CPack)
else()
  # Debian's name of the processor, in the .deb's control file and in every
  # archive's name, so that the packages of all platforms can sit side by side.
  if(HALVES_PROCESSOR STREQUAL "x86")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  elseif(HALVES_PROCESSOR STREQUAL "aarch64")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  else()
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${HALVES_PROCESSOR})
  endif()
  set(CPACK_SYSTEM_NAME Linux-${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
  set(CPACK_GENERATOR "TGZ;DEB")
  include(cmake/debian-package.cmake)
endif()
