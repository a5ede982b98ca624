#!/usr/bin/env bash
# Builds a release preset's programs and packages twice from copies of the
# source tree and checks that every artifact has the same bytes both times.
# The second build varies what a rebuild by someone else varies: the
# source and build folders (on another file system where one is at hand,
# so the folders list their files in another order; the first build's
# folder is the preset's own, inside its copy, the second's lies outside
# its copy), the time (faketime), the time zone, the locale, the umask, the
# home folder, the number of jobs and, when run as root, the user.
# SOURCE_DATE_EPOCH is unset in both, so the build's own time is the one
# tested. On a difference it says which artifacts differ, and how: by
# diffoscope where it is installed, otherwise by the first differing member.
# Then the first build is configured again with SOURCE_DATE_EPOCH set, and
# packaged without it: every member of a .tar.gz, and a Windows image's
# time stamp, must hold that time.
# Usage: check-reproducible.sh SOURCE_DIR PRESET
set -euo pipefail
source=$1 preset=$2
unset SOURCE_DATE_EPOCH

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
command -v faketime >/dev/null || fail "no faketime (Debian package faketime) to vary the time"

# The second build's copy goes to a file system of another kind than the
# first's, where /dev/shm offers one.
first_root=$(mktemp -d)
second_root=$first_root
if [[ -d /dev/shm && -w /dev/shm && $(stat -f -c %T /dev/shm) != $(stat -f -c %T "$first_root") ]]; then
  second_root=$(mktemp -d /dev/shm/check-reproducible.XXXXXX)
fi
trap 'rm -rf "$first_root" "$second_root"' EXIT
chmod 755 "$first_root" "$second_root"
one=$first_root/one
two=$second_root/second/copy/of/the/sources
first_build=$one/build/$preset
second_build=$second_root/second/build

# A copy of the source tree as it is, without its builds and history.
copy_sources() {
  mkdir -p "$1"
  tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$1" -xf -
}

# Configures, builds and packages the preset from the copy $1 in the folder
# $2 with the umask $3; the rest of the arguments run the build (an
# environment, a user).
build() {
  local copy=$1 folder=$2 mask=$3
  shift 3
  (cd "$copy" && "$@" bash -c 'umask "$1" && cmake --preset "$0" -B "$2" && cmake --build "$2" &&
    cd "$2" && cpack' "$preset" "$mask" "$folder") >"$copy.log" 2>&1 ||
    fail "the build in $folder failed: $(tail -n 20 "$copy.log")"
}

copy_sources "$one"
build "$one" "$first_build" 022 env TZ=UTC+11 LC_ALL=C LANG=C HOME="$first_root"

copy_sources "$two"
varied="sources $one and $two ($(stat -f -c %T "$first_root") and $(stat -f -c %T "$second_root")),"
varied+=" builds $first_build and $second_build,"
varied+=" time +400 days, TZ UTC+11 and UTC-14, LC_ALL C and C.UTF-8, umask 022 and 077,"
varied+=" all jobs and 1"
as_user=()
if ((EUID == 0)); then
  chown -R 65534:65534 "$second_root/second"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  varied+=", users root and 65534"
fi
# faketime runs as that user, so that it can remove the shared memory it
# makes.
build "$two" "$second_build" 077 "${as_user[@]}" faketime '+400 days' env TZ=UTC-14 LC_ALL=C.UTF-8 \
  LANG=C.UTF-8 HOME="$second_root/second" USER=nobody LOGNAME=nobody CMAKE_BUILD_PARALLEL_LEVEL=1
echo "varied: $varied"

# The artifacts: the programs, the Debian package's stripped copies, and
# every package cpack made.
suffix=
[[ -f $first_build/splitter/splitter.exe ]] && suffix=.exe
artifacts=(splitter/splitter$suffix refuser/refuser$suffix)
[[ -z $suffix ]] && artifacts+=(debian/bin/splitter debian/bin/refuser)
packages=$(cd "$first_build" && ls -- *.deb *.tar.gz *.zip 2>/dev/null || true)
[[ -n $packages ]] || fail "cpack made no package in $first_build"
[[ $(cd "$second_build" && ls -- *.deb *.tar.gz *.zip 2>/dev/null || true) == "$packages" ]] ||
  fail "the two builds made different packages"
mapfile -t -O ${#artifacts[@]} artifacts <<<"$packages"

# Without diffoscope: the first member, in either archive's listing, whose
# line or bytes differ.
first_differing_member() {
  local side listing=() tree=()
  for side in "$@"; do
    tree+=("$(mktemp -d "$first_root/unpacked.XXXXXX")")
    case $side in
      *.deb) dpkg-deb --raw-extract "$side" "${tree[-1]}" && listing+=("$(dpkg-deb -c "$side")") ;;
      *.tar.gz | *.zip)
        (cd "${tree[-1]}" && cmake -E tar xf "$side") && listing+=("$(cmake -E tar tvf "$side")") ;;
      *) cmp "$1" "$2" || true; return ;;
    esac
  done
  diff <(echo "${listing[0]}") <(echo "${listing[1]}") | head -n 3 || true
  diff -rq --no-dereference "${tree[0]}" "${tree[1]}" 2>&1 | head -n 1 || true
}

differ=0
for artifact in "${artifacts[@]}"; do
  a=$first_build/$artifact b=$second_build/$artifact
  [[ -f $a && -f $b ]] || fail "no $artifact in both builds"
  if cmp -s "$a" "$b"; then
    echo "same: $artifact, sha256 $(sha256sum <"$a" | cut -c 1-64)"
    continue
  fi
  differ=$((differ + 1))
  echo "DIFFERENT: $artifact"
  if command -v diffoscope >/dev/null; then
    # Each part of the file that differs, with its first changed lines.
    diffoscope --text - "$a" "$b" | awk '
      /^(---|\+\+\+) / { print; next }
      /^(│ )*├── / { print; shown = 0; next }
      /^(│ )*[-+]/ && shown < 3 { print; shown++ }' | head -n 60 || true
  else
    first_differing_member "$a" "$b"
  fi
done
((differ == 0)) || fail "$differ of ${#artifacts[@]} artifacts differ between the two builds"
echo "ok: all ${#artifacts[@]} artifacts of $preset have the same bytes in both builds"

# A time set when the build is configured, and not when it is packaged
# (2001-09-09 01:46:40 UTC, which no changelog date gives).
epoch=1000000000 when="2001-09-09 01:46:40"
(cd "$one" && env SOURCE_DATE_EPOCH=$epoch cmake --preset "$preset" &&
  cmake --build "$first_build" && cd "$first_build" && cpack) >"$one.epoch.log" 2>&1 ||
  fail "the build with SOURCE_DATE_EPOCH failed: $(tail -n 20 "$one.epoch.log")"
for tarball in "$first_build"/*.tar.gz; do
  [[ -f $tarball ]] || continue
  other=$(tar -tvzf "$tarball" --utc --full-time | grep -m 1 -vF " $when " || true)
  [[ -z $other ]] || fail "$tarball holds another time than SOURCE_DATE_EPOCH: $other"
done
for image in ${suffix:+splitter/splitter.exe refuser/refuser.exe}; do
  header=$(od -An -tu4 --endian=little -j 60 -N 4 "$first_build/$image")
  stamp=$(od -An -tu4 --endian=little -j $((header + 8)) -N 4 "$first_build/$image")
  ((stamp == epoch)) || fail "$image is stamped $((stamp)), not SOURCE_DATE_EPOCH $epoch"
done
echo "ok: the packages and images hold the SOURCE_DATE_EPOCH set when configuring, $epoch"
