#!/bin/sh
# End-to-end checks of the window frame of rava_fluid.exe under Wine, with
# Wine drawing the title bar and sizing border: the title bar's close button
# ends the program, the right border resizes the window, and a drag from the
# fluid view released over the drawn close button closes nothing.
# Usage: window_frame_e2e.sh SCENARIO rava_fluid.exe WORK_DIR TOOLS_DIR
set -u
scenario="$1"; exe="$2"; work="$3"; tools="$4"
title_pattern='^Rovovavev / Rava \+ Dudura fluid$'
. "$(dirname "$0")/e2e_lib.sh"

mkdir -p "$work"
rm -f "$work/${scenario}"_*.png
export WINEPREFIX="$work/wineprefix-e2e" WINEDEBUG=-all
unset DISPLAY
RAVA_XVFB_DISPLAY="${RAVA_E2E_DISPLAY:-93}"
. "$tools/xvfb-env"
"$tools/wine-prefix"
if xdotool search --name "$title_pattern" >/dev/null 2>&1; then
    echo "a playground window from an earlier run is still open on $DISPLAY"; exit 1
fi

# Screen points of the system frame, from the outer geometry find_window read:
# the title bar spans from the outer top to the client origin.
title_y() { echo $(((Y + border + oy) / 2)); }
title_close_x() { echo $((X + WIDTH - border - 8)); }

press_drag_release() {  # x0 y0 x1 y1 (screen)
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool mousedown 1
    steps=5; i=1
    while [ $i -le $steps ]; do
        xdotool mousemove $(($1 + ($3 - $1) * i / steps)) $(($2 + ($4 - $2) * i / steps))
        sleep 0.1; i=$((i + 1))
    done
    sleep 0.2
    xdotool mouseup 1
}

expect_running() {  # what
    sleep 1.5
    if kill -0 "$app_pid" 2>/dev/null && xdotool search --onlyvisible --name "$title_pattern" >/dev/null 2>&1; then
        pass "$1: still running"
    else
        fail "$1: the program ended or its window went away"
    fi
}

close_from_title_bar() {  # limit_ms
    xdotool mousemove "$(title_close_x)" "$(title_y)"
    sleep 0.2
    xdotool click 1
    wait_exit 10
    expect_clean_exit "$1" "title bar close button"
}

title_close() {
    start_app
    find_window || exit 1
    sleep 1
    close_from_title_bar 3000
}

border_resize() {
    start_app
    find_window || exit 1
    sleep 1
    before=$WIDTH
    edge=$((X + WIDTH - 2)); mid=$((Y + HEIGHT / 2))
    press_drag_release $edge $mid $((edge - 80)) $mid
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$xid")"
    shot resized
    narrower=$((before - WIDTH))
    [ $narrower -ge 76 ] && [ $narrower -le 84 ] && pass "window ${before} -> ${WIDTH} wide" ||
        fail "dragging the right border 80 px: window ${before} -> ${WIDTH} wide"
    close_from_title_bar 3000
}

view_release() {
    start_app
    find_window || exit 1
    sleep 1
    # From the middle of the fluid view to the drawn close button.
    press_drag_release $((ox + 370)) $((oy + 385)) $((ox + 980)) $((oy + 20))
    expect_running "release over the close button after a drag from the view"
    shot released
    xdotool key Escape
    wait_exit 10
    expect_clean_exit 3000 "Escape"
}

case "$scenario" in
title_close | border_resize | view_release) "$scenario" ;;
*) echo "unknown scenario $scenario"; exit 2 ;;
esac
echo "screenshots: $work/${scenario}_*.png"
[ $failures -eq 0 ]
