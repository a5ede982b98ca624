#!/usr/bin/env bash
# Starts or stops the Wine prefix that one test run shares: made afresh in
# the build tree, with its server kept up while the tests run, so that each
# program starts in a few milliseconds.
# Usage: wine-prefix.sh start|stop PREFIX
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY
case $action in
  start)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # The server and the services wineboot starts outlive this script: they
    # must not hold its output open, or whoever waits for that waits forever.
    wineserver -p </dev/null >"$WINEPREFIX.log" 2>&1  # started first, it stays up until stopped
    wineboot -i </dev/null >>"$WINEPREFIX.log" 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
