#!/usr/bin/env bash
# Starts or stops the Wine prefix that one test run shares: made afresh in
# the build tree, with its server kept up while the tests run, so that each
# program starts in a few milliseconds.
# Usage: wine-prefix.sh start PREFIX PRELOAD_DIR | stop PREFIX
# How this machine runs 32-bit x86 programs decides the rest, and the log
# beside the prefix says which it found:
# - natively: nothing more;
# - under qemu-user: qemu leaves the trap number out of fault contexts, and
#   Wine tells faults apart by it, so Wine's runs get the preload in
#   PRELOAD_DIR that fills it in; its value is written to PREFIX.preload,
#   where the tests find it;
# - not at all: neither can Wine run the Windows programs. The reason goes to
#   PREFIX.unavailable, where the tests that run them find it and skip, and
#   the start ends with 77, which marks it skipped.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY
case $action in
  start)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$WINEPREFIX".{unavailable,preload,log}
    mkdir -p "$WINEPREFIX"
    mode=$("$(dirname "$0")/../../tools/i386-emulation" status)
    echo "32-bit x86 programs: $mode" | tee "$WINEPREFIX.log"
    case $mode in
      none:*)
        echo "${mode#none: }, so Wine cannot run the Windows programs" \
          "(tools/i386-emulation setup, as root, lets it run them under qemu-user)" \
          >"$WINEPREFIX.unavailable"
        exit 77
        ;;
      emulated*)
        # A literal $LIB: the loader makes it the 32-bit or the 64-bit library
        # folder, and the 64-bit twin is empty.
        export LD_PRELOAD="$3/\$LIB/trap_number.so"
        printf '%s' "$LD_PRELOAD" >"$WINEPREFIX.preload"
        ;;
    esac
    # The server and the services wineboot starts outlive this script: they
    # must not hold its output open, or whoever waits for that waits forever.
    wineserver -p </dev/null >>"$WINEPREFIX.log" 2>&1  # started first, it stays up until stopped
    wineboot -i </dev/null >>"$WINEPREFIX.log" 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
