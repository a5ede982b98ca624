# Installing the programs with their manual pages, README, licence and
# changelog, and the packages cpack makes of them: a .tar.gz and a Debian
# package on Linux, a .zip on Windows.
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
set(CPACK_PACKAGE_CONTACT "the halves developers <halves@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Two batch programs that split a length into two halves for a list of durations")
set(CPACK_PACKAGE_FILE_NAME_SUFFIX "")
set(CPACK_STRIP_FILES OFF)  # the symbols resolve the addresses of a report
set(CPACK_PACKAGE_CHECKSUM SHA256)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # Static programs: they depend on no other package.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
endif()
include(CPack)
