# The files Debian wants in every package, made in ${debian_dir} from the
# project's own: LICENSE as a machine-readable copyright file, and
# CHANGELOG.md as a changelog in Debian's format, gzipped at build time
# (gzip -n leaves out the name and time, so the same text gives the same
# bytes).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

# The copyright file: LICENSE's holder and permission text in the fields of
# the machine-readable format, the text indented and its empty lines as ".".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(Permission.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no copyright line followed by the permission text")
endif()
set(copyright_holder ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" license_text "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " license_text " ${license_text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${debian_dir}/copyright @ONLY)

# The changelog: each "## VERSION (YYYY-MM-DD)" section of CHANGELOG.md
# becomes an entry, its "- " items the entry's "* " items.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog_lines)
set(changelog "")
set(trailer "")
set(newest "")
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
    set(version ${CMAKE_MATCH_1})
    if(NOT newest)
      set(newest ${version})
    endif()
    # The date as Debian's changelog has it, "Wed, 09 Dec 2026 00:00:00 +0000".
    execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}"
      OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    if(trailer)
      string(APPEND changelog "${trailer}\n")
    endif()
    string(APPEND changelog "${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium\n\n")
    set(trailer "\n -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
  elseif(NOT trailer OR line STREQUAL "")
    # The title and introduction, and the empty lines between items.
  elseif(line MATCHES "^- (.*)")
    string(APPEND changelog "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  (.*)")
    string(APPEND changelog "    ${CMAKE_MATCH_1}\n")
  else()
    message(FATAL_ERROR "CHANGELOG.md: not part of a list item: ${line}")
  endif()
endforeach()
if(NOT trailer)
  message(FATAL_ERROR "CHANGELOG.md: no \"## VERSION (YYYY-MM-DD)\" section")
endif()
if(NOT newest STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's newest section is ${newest}, the project's version "
    "${PROJECT_VERSION}")
endif()
# Written through a copy that changes only with its content, so the gzip
# runs again only then.
file(WRITE ${debian_dir}/changelog.new "${changelog}${trailer}")
configure_file(${debian_dir}/changelog.new ${debian_dir}/changelog COPYONLY)

add_custom_command(OUTPUT ${debian_dir}/changelog.gz
  COMMAND gzip -9n < ${debian_dir}/changelog > ${debian_dir}/changelog.gz
  DEPENDS ${debian_dir}/changelog
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${debian_dir}/changelog.gz)

