# The manual pages of doc/: gzipped for Linux, as Debian requires (gzip -n
# leaves out the name and time, so the same page gives the same bytes), and
# rendered as plain text for the Windows .zip, which has no manual reader.
set(manual_pages splitter refuser)
set(manual_files "")
if(WIN32)
  find_program(MANDOC_EXECUTABLE mandoc)
  find_program(COL_EXECUTABLE col)
  if(NOT MANDOC_EXECUTABLE OR NOT COL_EXECUTABLE)
    message(FATAL_ERROR "The Windows package holds the manual pages as text, rendered by "
      "mandoc and col: install the Debian packages mandoc and bsdextrautils.")
  endif()
  foreach(page IN LISTS manual_pages)
    set(text ${CMAKE_CURRENT_BINARY_DIR}/doc/${page}.txt)
    # col -b drops the backspaced overstrikes of bold and underlined text.
    add_custom_command(OUTPUT ${text}
      COMMAND ${MANDOC_EXECUTABLE} -T ascii "-Ios=halves ${PROJECT_VERSION}"
        ${PROJECT_SOURCE_DIR}/doc/${page}.1 > ${text}.overstruck
      COMMAND ${COL_EXECUTABLE} -bx < ${text}.overstruck > ${text}
      DEPENDS ${PROJECT_SOURCE_DIR}/doc/${page}.1
      VERBATIM)
    list(APPEND manual_files ${text})
  endforeach()
  set(manual_destination .)
else()
  foreach(page IN LISTS manual_pages)
    set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/doc/${page}.1.gz)
    add_custom_command(OUTPUT ${gzipped}
      COMMAND gzip -9n < ${PROJECT_SOURCE_DIR}/doc/${page}.1 > ${gzipped}
      DEPENDS ${PROJECT_SOURCE_DIR}/doc/${page}.1
      VERBATIM)
    list(APPEND manual_files ${gzipped})
  endforeach()
  set(manual_destination ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(manual_pages ALL DEPENDS ${manual_files})
install(FILES ${manual_files} DESTINATION ${manual_destination} COMPONENT docs)
