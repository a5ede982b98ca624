# Reproducible builds: the same sources give the same bytes in every
# artifact, whatever the build folder, the time, the user, the time zone,
# the locale or the umask.
#
# Folders: the compilers name sources relative to the source tree and the
# build folder as ".", so neither folder reaches the debug information, nor
# through it the build ID and the stripped programs' debug links. The build
# folder's map comes last, so it wins where the build folder lies inside
# the source tree.
add_compile_options(
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
  -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)

# Time: every time an artifact holds (the Windows images' time stamps, every
# archive member's time) is HALVES_SOURCE_DATE_EPOCH: SOURCE_DATE_EPOCH
# where the environment sets it when the build is configured, as Debian's
# builders do; otherwise midnight UTC of the date of CHANGELOG.md's newest
# section, which a release tarball without the history holds as well as a
# clone, and which changes with each release.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(HALVES_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  if(NOT HALVES_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${HALVES_SOURCE_DATE_EPOCH}\", not a count of "
      "seconds since 1970")
  endif()
else()
  file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md newest_section
    REGEX "^## [^ ]+ \\([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\\)$" LIMIT_COUNT 1)
  if(NOT newest_section MATCHES "\\((.*)\\)$")
    message(FATAL_ERROR "CHANGELOG.md: no \"## VERSION (YYYY-MM-DD)\" section")
  endif()
  execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%s
    OUTPUT_VARIABLE HALVES_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
