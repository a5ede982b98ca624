#!/usr/bin/env bash
# Installs the programs of a build into a temporary prefix and makes its
# packages with cpack; checks that the installation and each package hold
# both programs and their documents, and that the programs they hold answer
# the bundled example.
# Usage: check-packages.sh BUILD_DIR SOURCE_DIR [LAUNCHER]
#   LAUNCHER: what runs a program of the build (wine for Windows programs).
# Where Wine cannot run programs here (WINEPREFIX.unavailable says why), the
# package is checked all the same, its programs' runs are left out, and the
# script ends with 77: skipped.
set -euo pipefail
build=$1 source=$2 launcher=${3:-}
runs_skipped=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs both programs found in the folder $1 on the example, in a fresh folder.
answers_the_example() {
  local programs=$1 suffix= run
  if [[ -n $launcher && -f ${WINEPREFIX:-}.unavailable ]]; then
    echo "skipped: the programs in $programs are not run: $(cat "$WINEPREFIX.unavailable")"
    runs_skipped=1
    return
  fi
  [[ -n $launcher ]] && suffix=.exe
  run=$(mktemp -d "$work/run.XXXXXX")
  cp "$source/examples/input.txt" "$run/"
  (cd "$run" && $launcher "$programs/splitter$suffix" </dev/null) ||
    fail "$programs/splitter$suffix ended with $?"
  printf '1\r\n2\r\n1\r\n2\r\n' >"$run/expected.txt"
  cmp -s "$run/output.txt" "$run/expected.txt" ||
    fail "$programs/splitter$suffix answered: $(cat -v "$run/output.txt")"
  (cd "$run" && $launcher "$programs/refuser$suffix" </dev/null) ||
    fail "$programs/refuser$suffix ended with $?"
  [[ $(cat "$run/output.txt") == "-1" ]] || fail "$programs/refuser$suffix answered otherwise"
  echo "ok: the programs in $programs answer the example"
}

# Fails unless the listing $1 names every one of the remaining paths.
holds() {
  local listing=$1 path
  shift
  for path in "$@"; do
    grep -qE "(^|/)$path\$" <<<"$listing" || fail "no $path in: $listing"
  done
}

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >/dev/null
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

if [[ -z $launcher ]]; then
  docs=(share/doc/halves/README.md share/doc/halves/LICENSE share/doc/halves/CHANGELOG.md
    share/man/man1/splitter.1.gz share/man/man1/refuser.1.gz)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  holds "$(cd "$work/prefix" && find . -type f)" bin/splitter bin/refuser "${docs[@]}"
  answers_the_example "$work/prefix/bin"

  tarball=$work/packages/halves-$version-Linux.tar.gz
  [[ -f $tarball ]] || fail "no $tarball"
  holds "$(tar tzf "$tarball")" bin/splitter bin/refuser "${docs[@]}"
  tar xzf "$tarball" -C "$work"
  answers_the_example "$work/halves-$version-Linux/bin"

  deb=$(ls "$work"/packages/halves_"$version"_*.deb) || fail "no Debian package"
  holds "$(dpkg-deb -c "$deb")" usr/bin/splitter usr/bin/refuser usr/share/doc/halves/README.md
  dpkg-deb -x "$deb" "$work/deb"
  answers_the_example "$work/deb/usr/bin"
else
  zip=$work/packages/halves-$version-win32.zip
  [[ -f $zip ]] || fail "no $zip"
  holds "$(cmake -E tar tf "$zip")" splitter.exe refuser.exe README.md LICENSE CHANGELOG.md \
    splitter.txt refuser.txt
  (cd "$work" && cmake -E tar xf "$zip")
  for page in splitter refuser; do
    text=$work/halves-$version-win32/$page.txt
    grep -q '^EXIT STATUS$' "$text" && ! grep -q $'\b' "$text" ||
      fail "$page.txt is not the manual page as plain text"
  done
  answers_the_example "$work/halves-$version-win32"
fi
shopt -s nullglob
for package in "$work"/packages/*.{tar.gz,deb,zip}; do
  echo "package: $(basename "$package"), $(stat -c %s "$package") bytes"
done
((runs_skipped == 0)) || exit 77
