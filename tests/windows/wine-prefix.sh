#!/usr/bin/env bash
# Starts or stops the Wine prefix that one test run shares: made afresh in
# the build tree, with its server kept up while the tests run, so that each
# program starts in a few milliseconds.
# Usage: wine-prefix.sh start|stop PREFIX
# Where this machine cannot run 32-bit x86 programs at all (a kernel without
# their support), neither can Wine run the Windows programs: start then
# writes the reason to PREFIX.unavailable, where the tests that run them
# find it and skip, and ends with 77, which marks the start itself skipped.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY
case $action in
  start)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$WINEPREFIX.unavailable"
    mkdir -p "$WINEPREFIX"
    # The smallest 32-bit program: it only ends, with status 0.
    probe=$WINEPREFIX/exit32
    printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
      as --32 -o "$probe.o" - && ld -m elf_i386 -o "$probe" "$probe.o"
    if ! "$probe" 2>/dev/null; then
      reason="this machine cannot run 32-bit x86 programs ($(uname -sr)), so Wine cannot run the Windows programs"
      echo "$reason" | tee "$WINEPREFIX.unavailable"
      exit 77
    fi
    # The server and the services wineboot starts outlive this script: they
    # must not hold its output open, or whoever waits for that waits forever.
    wineserver -p </dev/null >"$WINEPREFIX.log" 2>&1  # started first, it stays up until stopped
    wineboot -i </dev/null >>"$WINEPREFIX.log" 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
