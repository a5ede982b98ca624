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
