# Run by cpack once its generators have made the packages
# (CPACK_POST_BUILD_SCRIPTS). This CMake's generators leave in them what
# depends on who packs, where and with which umask: the .tar.gz's and the
# .zip's members come in the order the file system lists them and belong to
# the packing user; the .deb's ar members have the umask's modes, and its
# Installed-Size counts the folders' sizes, which differ between file
# systems. So each package is made again from its own contents, with every
# member sorted by name, owned by root, of mode 644 or 755, and timed at
# SOURCE_DATE_EPOCH (which cpack-options.cmake has set).
set(work ${CPACK_TOPLEVEL_DIRECTORY}/normalize)
set(tree ${work}/tree)
set(epoch $ENV{SOURCE_DATE_EPOCH})

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${tree} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The package's contents, as it holds them, in a fresh ${tree}, with the
# modes that the install gives: 755 for programs and folders, 644 for the
# rest.
function(unpack)
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  run(${ARGN})
  run(chmod -R u=rwX,go=rX .)
endfunction()

# A Debian package is made again by dpkg-deb, which sorts its members, gives
# them root as owner and SOURCE_DATE_EPOCH as the latest time, and writes
# its ar members with fixed modes. Installed-Size counts the files alone.
function(normalize_deb deb)
  unpack(dpkg-deb --raw-extract ${deb} .)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/*)
  set(total 0)
  foreach(file IN LISTS files)
    if(NOT IS_SYMLINK ${tree}/${file} AND NOT file MATCHES "^DEBIAN/")
      file(SIZE ${tree}/${file} size)
      math(EXPR total "${total} + ${size}")
    endif()
  endforeach()
  math(EXPR kib "(${total} + 1023) / 1024")
  file(READ ${tree}/DEBIAN/control control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
  file(WRITE ${tree}/DEBIAN/control "${control}")
  run(dpkg-deb --root-owner-group -Zgzip --build . ${deb} OUTPUT_QUIET)
endfunction()

function(normalize_tarball tarball)
  unpack(tar -xzf ${tarball})
  file(GLOB top RELATIVE ${tree} ${tree}/*)
  run(tar --sort=name --format=ustar --owner=root:0 --group=root:0 --mtime=@${epoch}
    -cf ${work}/package.tar ${top})
  run(gzip -9nf ${work}/package.tar)
  file(RENAME ${work}/package.tar.gz ${tarball})
endfunction()

# zip -X leaves out the owners and the extra time fields, so each member
# carries its time only as a local time, here UTC's (cpack-options.cmake).
function(normalize_zip zip)
  unpack(${CMAKE_COMMAND} -E tar xf ${zip})
  file(GLOB_RECURSE members LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/*)
  list(JOIN members "\n" listing)
  file(WRITE ${work}/members "${listing}\n")
  run(touch -d @${epoch} ${members})
  file(REMOVE ${zip})
  run(zip -X -D -9 -q ${zip} -@ INPUT_FILE ${work}/members)
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    normalize_deb(${package})
  elseif(package MATCHES "\\.tar\\.gz$")
    normalize_tarball(${package})
  elseif(package MATCHES "\\.zip$")
    normalize_zip(${package})
  else()
    message(FATAL_ERROR "${package}: no rule for this kind of package")
  endif()
endforeach()
file(REMOVE_RECURSE ${work})
