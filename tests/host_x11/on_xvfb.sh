#!/bin/sh
# Runs a test program on the private Xvfb display the end-to-end tests use;
# with --wm, under openbox started for the run (and stopped after it).
# Usage: on_xvfb.sh [--wm] TOOLS_DIR PROGRAM [ARGS...]
set -eu
wm=false
[ "$1" = "--wm" ] && { wm=true; shift; }
tools="$1"; shift
unset DISPLAY
RAVA_XVFB_DISPLAY="${RAVA_E2E_DISPLAY:-93}"
. "$tools/xvfb-env"
if ! $wm; then
    exec "$@"
fi
. "$tools/openbox-env"
trap 'stop_openbox; rm -rf "$openbox_home"' EXIT
RAVA_TEST_WINDOW_MANAGER=1 "$@"
