# The Debian packages: "halves", with the programs stripped, and
# "halves-dbgsym", with their debug information under
# /usr/lib/debug/.build-id/, where addr2line and debuggers find it by each
# program's build ID. Both are made of components that only these packages
# install (excluded from "all"): "docs" and "debian" form halves,
# "dbgsym" forms halves-dbgsym.
set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
include(cmake/debian-docs.cmake)

# Each program split into a stripped copy and its debug file.
set(stripped_programs "")
foreach(program splitter refuser)
  set(stripped ${debian_dir}/bin/${program})
  add_custom_command(OUTPUT ${stripped}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DSTRIPPED=${stripped}
      -DDEBUG_ROOT=${debian_dir}/debug/${program} -DOBJCOPY=${CMAKE_OBJCOPY}
      -DREADELF=${CMAKE_READELF} -P ${PROJECT_SOURCE_DIR}/cmake/split-debug-info.cmake
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/split-debug-info.cmake
    VERBATIM)
  list(APPEND stripped_programs ${stripped})
  install(DIRECTORY ${debian_dir}/debug/${program}/ DESTINATION lib/debug
    COMPONENT dbgsym EXCLUDE_FROM_ALL)
endforeach()
add_custom_target(debian_programs ALL DEPENDS ${stripped_programs})
install(PROGRAMS ${stripped_programs} DESTINATION ${CMAKE_INSTALL_BINDIR}
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME halves
  COMPONENT debian EXCLUDE_FROM_ALL)
# halves-dbgsym's documents are halves': its folder is a link to that one.
file(CREATE_LINK halves ${debian_dir}/halves-dbgsym SYMBOLIC)
install(FILES ${debian_dir}/halves-dbgsym DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc
  COMPONENT dbgsym EXCLUDE_FROM_ALL)

# The DEB generator packs its components, one package for each group; the
# archive generators pack every component of "all" into one package.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE halves)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Static programs: they depend on no other package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
set(CPACK_DEBIAN_HALVES_PACKAGE_NAME halves)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SECTION debug)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_DEPENDS "halves (= ${PROJECT_VERSION})")
# Each description's first line is its package's synopsis. No summary is
# set for the project, since cpack would put it before both.
set(CPACK_DEBIAN_HALVES_DESCRIPTION [[
two programs that split a length into halves for a list of durations
splitter reads a length in minutes and a list of durations from input.txt,
takes the items longest first, puts each on the first half while it fits
there and otherwise on the second, and writes each item's half to
output.txt, or -1 when that greedy pass overfills a half. refuser reads the
same file, checks its two leading numbers and always answers -1.

Both are static programs with a small runtime of their own and no C
library. Every sum, index and file operation is checked: a failed check or
a fault ends the run with a numbered report and that number as the exit
status.]])
set(CPACK_DEBIAN_DBGSYM_DESCRIPTION [[
debug symbols for halves
The debug information of splitter and refuser, which the halves package
ships stripped. With it, addr2line and debuggers give the routine and
source line of an address, such as those of a run-time error report.]])

set(CPACK_COMPONENTS_ALL docs debian dbgsym)
include(CPack)
cpack_add_component_group(halves)
cpack_add_component_group(dbgsym)
cpack_add_component(docs GROUP halves)
cpack_add_component(debian GROUP halves)
cpack_add_component(dbgsym GROUP dbgsym)
