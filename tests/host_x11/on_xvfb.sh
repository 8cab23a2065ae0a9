#!/bin/sh
# Runs a test program on the private Xvfb display the end-to-end tests use.
# Usage: on_xvfb.sh TOOLS_DIR PROGRAM [ARGS...]
set -eu
tools="$1"; shift
unset DISPLAY
RAVA_XVFB_DISPLAY="${RAVA_E2E_DISPLAY:-93}"
. "$tools/xvfb-env"
exec "$@"
