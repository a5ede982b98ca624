#!/usr/bin/env bash
# Installs the programs of a build into a temporary prefix and makes its
# packages with cpack; checks that the installation and each package hold
# both programs and their documents, and that the programs they hold answer
# the bundled example. On Linux also: the Debian package's programs are
# stripped and the archive's are not, a report of the stripped splitter
# resolves through the debug file of halves-dbgsym, lintian finds no error
# or warning in either Debian package, and mandoc's lint finds nothing in
# the manual pages.
# Usage: check-packages.sh BUILD_DIR SOURCE_DIR [LAUNCHER]
#   LAUNCHER: what runs a program of the build: wine for Windows programs,
#   qemu-aarch64 or qemu-riscv64 for Linux programs of another processor.
# Where Wine cannot run programs here (WINEPREFIX.unavailable says why), the
# package is checked all the same, its programs' runs are left out, and the
# script ends with 77: skipped.
set -euo pipefail
build=$1 source=$2 launcher=${3:-}
windows=0
[[ $launcher == wine ]] && windows=1
runs_skipped=0
# Under qemu-user, Wine's runs get the preload that the prefix's start chose.
if ((windows)) && [[ -f ${WINEPREFIX:-}.preload ]]; then
  launcher="env LD_PRELOAD=$(cat "$WINEPREFIX.preload") $launcher"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs a program through the launcher with the tests' time limit on a run.
run_program() {
  local status=0
  timeout -s ALRM 60 $launcher "$@" </dev/null || status=$?
  ((status != 124)) || fail "$1 timed out: it had not ended after 60 s, and was killed"
  return $status
}

# Runs both programs found in the folder $1 on the example, in a fresh folder.
answers_the_example() {
  local programs=$1 suffix= run
  if ((windows)) && [[ -f ${WINEPREFIX:-}.unavailable ]]; then
    echo "skipped: the programs in $programs are not run: $(cat "$WINEPREFIX.unavailable")"
    runs_skipped=1
    return
  fi
  ((windows)) && suffix=.exe
  run=$(mktemp -d "$work/run.XXXXXX")
  cp "$source/examples/input.txt" "$run/"
  (cd "$run" && run_program "$programs/splitter$suffix") ||
    fail "$programs/splitter$suffix ended with $?"
  printf '1\r\n2\r\n1\r\n2\r\n' >"$run/expected.txt"
  cmp -s "$run/output.txt" "$run/expected.txt" ||
    fail "$programs/splitter$suffix answered: $(cat -v "$run/output.txt")"
  (cd "$run" && run_program "$programs/refuser$suffix") ||
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

# Fails unless the ELF program $1 keeps both its symbol table and its debug
# information ($2 = kept) or has neither ($2 = stripped).
symbols() {
  local sections count
  sections=$(readelf -S -W "$1") || fail "readelf cannot read $1"
  count=$(grep -cE '\] \.(symtab|debug_info) ' <<<"$sections" || true)
  case $2:$count in
    kept:2 | stripped:0) ;;
    *) fail "$1 is not $2: $(grep -E '\] \.(symtab|debug_)' <<<"$sections")" ;;
  esac
}

# The stripped splitter in the root $1 fails in SORT, called from INIT, on a
# negative count; its report resolves through the debug file that its build
# ID names under the root's /usr/lib/debug.
resolves_through_debug_file() {
  local root=$1 run status=0 id debug_file routines
  run=$(mktemp -d "$work/run.XXXXXX")
  printf '20\n-5\n' >"$run/input.txt"
  (cd "$run" && run_program "$root/usr/bin/splitter" >report.txt) || status=$?
  ((status == 201)) || fail "the stripped splitter ended with $status on a count of -5"
  id=$(LC_ALL=C readelf -n "$root/usr/bin/splitter" | sed -n 's/.*Build ID: \([0-9a-f]*\)$/\1/p')
  debug_file=$root/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug
  [[ -n $id && -f $debug_file ]] || fail "no debug file for build ID '$id' in halves-dbgsym"
  # The routine of each address: the last line resolved for it.
  routines=$("$source/tools/resolve-report" "$debug_file" <"$run/report.txt" | awk '
    /^  0x/ { if (last != "") print last; last = ""; next }
    /^    / { last = $0; sub(/^ *(\(inlined by\) )?/, "", last); sub(/ at .*/, "", last) }
    END { if (last != "") print last }')
  [[ $(head -n 2 <<<"$routines" | tr '\n' ' ') == "SORT INIT " ]] ||
    fail "the report resolved to: $routines"
  echo "ok: a report of the stripped splitter resolves through $debug_file"
}

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >/dev/null
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

if ((!windows)); then
  docs=(share/doc/halves/README.md share/doc/halves/LICENSE share/doc/halves/CHANGELOG.md
    share/man/man1/splitter.1.gz share/man/man1/refuser.1.gz)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  holds "$(cd "$work/prefix" && find . -type f)" bin/splitter bin/refuser "${docs[@]}"
  answers_the_example "$work/prefix/bin"

  # Every archive's name says its processor, as Debian names it.
  arch=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
  tarball=$work/packages/halves-$version-Linux-$arch.tar.gz
  [[ -n $arch && -f $tarball ]] || fail "no $tarball"
  holds "$(tar tzf "$tarball")" bin/splitter bin/refuser "${docs[@]}"
  tar xzf "$tarball" -C "$work"
  answers_the_example "$work/halves-$version-Linux-$arch/bin"
  symbols "$work/halves-$version-Linux-$arch/bin/splitter" kept

  deb=$work/packages/halves_${version}_$arch.deb
  dbgsym=$work/packages/halves-dbgsym_${version}_$arch.deb
  [[ -f $deb && -f $dbgsym ]] || fail "no $deb and $dbgsym"
  holds "$(dpkg-deb -c "$deb")" usr/bin/splitter usr/bin/refuser usr/share/doc/halves/README.md \
    usr/share/doc/halves/copyright usr/share/doc/halves/changelog.gz \
    usr/share/man/man1/splitter.1.gz usr/share/man/man1/refuser.1.gz \
    usr/share/lintian/overrides/halves
  dpkg-deb -x "$deb" "$work/deb"
  dpkg-deb -x "$dbgsym" "$work/deb"
  answers_the_example "$work/deb/usr/bin"
  symbols "$work/deb/usr/bin/splitter" stripped
  symbols "$work/deb/usr/bin/refuser" stripped
  resolves_through_debug_file "$work/deb"

  # Errors and warnings fail; lintian's informational tags are not asked for.
  lintian=$(lintian --fail-on error,warning "$deb" "$dbgsym" 2>&1) || fail "lintian: $lintian"
  echo "ok: lintian finds no error or warning in $(basename "$deb") and $(basename "$dbgsym")"

  # Every message of mandoc's lint fails, but the lookup of the pages that
  # a page refers to, which finds only what this machine has installed.
  command -v mandoc >/dev/null || fail "no mandoc (Debian package mandoc) to check the manual pages"
  for page in "$source"/doc/*.1; do
    status=0
    messages=$(mandoc -T lint "$page" 2>/dev/null) || status=$?
    messages=$(grep -v 'STYLE: referenced manual not found' <<<"$messages" || true)
    [[ -z $messages && $status -le 1 ]] || fail "mandoc -T lint: ${messages:-status $status}"
  done
  echo "ok: mandoc's lint finds nothing in the manual pages"
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
