# Run by cmake -P at build time: splits the linked program PROGRAM into a
# stripped copy, STRIPPED, and its debug information, which goes to
# DEBUG_ROOT/.build-id/xx/yyyy.debug: the place under the system's debug
# folder (/usr/lib/debug) where tools look for it by the program's build ID
# xxyyyy. OBJCOPY and READELF name the tools.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${READELF} -n ${PROGRAM}
  OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${PROGRAM} has no build ID")
endif()
set(debug_dir ${DEBUG_ROOT}/.build-id/${CMAKE_MATCH_1})
set(debug_file ${debug_dir}/${CMAKE_MATCH_2}.debug)
# An earlier build's file would be installed too.
file(REMOVE_RECURSE ${DEBUG_ROOT})
file(MAKE_DIRECTORY ${debug_dir})
execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${PROGRAM} ${debug_file}
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND ${OBJCOPY} --strip-all --remove-section=.comment --add-gnu-debuglink=${debug_file}
    ${PROGRAM} ${STRIPPED}
  COMMAND_ERROR_IS_FATAL ANY)
