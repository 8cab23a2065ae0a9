#!/bin/sh
# End-to-end checks of the playground on a private Xvfb display, for both
# programs with the same expectations: rava_fluid.exe under Wine and the
# native rava_fluid on the X11 host. Start-up frame, keys and pointer,
# closing, and a window that cannot be made (plus, natively, a display
# without GLX, a system without fonts and one without the preferred faces, and the
# program under a real window manager).
# Usage: playground_e2e.sh SCENARIO PROGRAM CLOSE_HELPER WORK_DIR TOOLS_DIR
# Screenshots are kept in WORK_DIR as <scenario>_<step>.png.
set -u
scenario="$1"; exe="$2"; closer="$3"; work="$4"; tools="$5"
title="Rovovavev / Rava + Dudura fluid"
title_pattern='^Rovovavev / Rava \+ Dudura fluid$'
. "$(dirname "$0")/e2e_lib.sh"

case "$exe" in
*.exe) native=false ;;
*) native=true ;;
esac
mkdir -p "$work"
rm -f "$work/${scenario}"_*.png
unset DISPLAY
RAVA_XVFB_DISPLAY="${RAVA_E2E_DISPLAY:-93}"
. "$tools/xvfb-env"
if $native; then
    start_app() { start_native_app; }
else
    export WINEPREFIX="$work/wineprefix-e2e" WINEDEBUG=-all
    "$tools/wine-prefix"
fi
if xdotool search --name "$title_pattern" >/dev/null 2>&1; then
    echo "a playground window from an earlier run is still open on $DISPLAY"; exit 1
fi

view="34 161 672 448"

# The pointer rests off the window so that no button shows its hover fill.
park_pointer() { xdotool mousemove 1270 1010; }
# Keys go to the focused window; a click on empty header space focuses it.
focus_app() { move 900 90; xdotool click 1; park_pointer; sleep 0.2; }

startup() {
    start_app
    find_window || exit 1
    park_pointer
    sleep 1
    shot start
    s=$last_shot
    # The client area is exactly 1000 x 700: background at its four corners,
    # the window frame just outside.
    for corner in "0 0" "999 0" "0 699" "999 699" "720 140" "500 690"; do
        expect_pixel "$s" $corner "$background" "background"
    done
    for outside in "-1 350" "1000 350" "500 700"; do
        got=$(pixel "$s" $outside)
        [ -n "$got" ] && [ "$got" != "$background" ] && pass "frame outside the client at ($outside): $got" ||
            fail "background beyond the client area at ($outside)"
    done
    # The opening plumes: magenta on the left, cyan on the right of the view.
    magenta=$(count_where "$s" 34 161 336 448 "r > g + 0.25 && b > g + 0.15")
    cyan=$(count_where "$s" 370 161 336 448 "g > r + 0.25 && b > r + 0.25")
    [ "$magenta" -gt 2000 ] && pass "magenta plume: $magenta pixels" || fail "magenta plume: $magenta pixels"
    [ "$cyan" -gt 2000 ] && pass "cyan plume: $cyan pixels" || fail "cyan plume: $cyan pixels"
    expect_pixel "$s" 39 649 "48,116,96" "pause button (accent)"
    expect_pixel "$s" 215 649 "37,53,58" "clear button"
    expect_pixel "$s" 363 649 "37,53,58" "fountains button"
    expect_pixel "$s" 581 649 "37,53,58" "colour button"
    for p in "784 649" "784 636" "784 662" "771 649" "797 649"; do
        expect_pixel "$s" $p "236,93,168" "pink swatch"
    done
    expect_pixel "$s" 770 649 "$background" "left of the swatch"
    # Hovering lights the button under the pointer.
    move 100 660
    await_shot hover shot_pixel_is 39 649 "60,128,108"
    expect_pixel "$last_shot" 39 649 "60,128,108" "hovered pause button"
    park_pointer

    focus_app
    xdotool key Escape
    wait_exit 10
    expect_clean_exit 1000 "Escape"
}

controls() {
    start_app
    find_window || exit 1
    sleep 1
    focus_app
    xdotool key c
    await_shot cyan shot_pixel_is 784 649 "80,207,237"
    expect_pixel "$last_shot" 784 649 "80,207,237" "swatch after C"
    running=$last_shot

    # Pause: the view stops changing and the first button says so.
    sleep 0.3
    shot running2
    n=$(diff_count "$running" "$last_shot" $view)
    [ "$n" -gt 0 ] && pass "running view changes: $n pixels" || fail "view did not change while running"
    xdotool key space
    # Until the label has changed and two shots half a second apart show the
    # same view. The paused frame renders the fluid of the frame before it, so
    # an unchanged view alone does not show that the pause has arrived.
    for try in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.3
        shot paused1
        paused1=$last_shot
        label=$(diff_count "$running" "$paused1" 49 630 140 38)
        sleep 0.5
        shot paused2
        n=$(diff_count "$paused1" "$last_shot" $view)
        [ "$n" -eq 0 ] && [ "$label" -gt 0 ] && break
    done
    [ "$n" -eq 0 ] && pass "paused view is frozen" || fail "paused view changed in $n pixels"
    [ "$label" -gt 0 ] && pass "pause button label changed ($label pixels)" || fail "pause button label unchanged"
    expect_pixel "$paused1" 39 649 "48,116,96" "paused button keeps the accent fill"

    # Clear and stop the fountains (both work while paused), run, then drag
    # a stroke through the middle of the view and rest at its end.
    xdotool key r a space
    sleep 0.3
    move 104 300
    xdotool mousedown 1
    x=104
    while [ $x -lt 604 ]; do
        x=$((x + 20)); move $x 300; sleep 0.04
    done
    sleep 0.5
    xdotool mouseup 1
    park_pointer
    xdotool key space
    sleep 0.3
    shot drag
    drag=$last_shot
    lit=$(count_where "$drag" 104 294 500 12 "g > 0.3 && b > 0.3 && g > r + 0.1")  # cyan dye after C
    [ "$lit" -gt 3000 ] && pass "dye along the stroke: $lit of 6000 pixels" || fail "dye along the stroke: $lit of 6000 pixels"
    expect_pixel "$drag" 370 580 "0,0,10" "empty field far from the stroke"
    expect_pixel "$drag" 60 180 "0,0,10" "empty field in the corner"

    # Bloom (paused): only pixels near bright dye change.
    xdotool key b
    await_shot nobloom shot_differs "$drag" $view
    n=$(diff_count "$drag" "$last_shot" $view)
    [ "$n" -gt 0 ] && pass "bloom toggle changed $n pixels" || fail "bloom toggle changed nothing"
    far=$(($(diff_count "$drag" "$last_shot" 34 161 672 40) + $(diff_count "$drag" "$last_shot" 34 430 672 179)))
    [ "$far" -eq 0 ] && pass "no change far from the dye" || fail "bloom toggle changed $far pixels far from the dye"
    nobloom=$last_shot

    # Exposure: holding Up brightens the frozen view.
    before=$(mean_brightness "$nobloom" $view)
    xdotool keydown Up
    sleep 1.2
    xdotool keyup Up
    sleep 0.3
    shot brighter
    after=$(mean_brightness "$last_shot" $view)
    [ "$after" -gt "$before" ] && pass "view brightness $before -> $after" || fail "view brightness $before -> $after"
    n=$(diff_count "$nobloom" "$last_shot" 737 500 240 22)
    [ "$n" -gt 0 ] && pass "exposure line changed" || fail "exposure line unchanged"

    xdotool key Escape
    wait_exit 10
    expect_clean_exit 1000 "Escape"
}

close() {
    if $native; then
        # The window manager's close request, as a title bar's close button sends it.
        start_app
        find_window || exit 1
        sleep 1
        "$closer" "$title" || fail "close helper failed"
        wait_exit 10
        expect_clean_exit 3000 "close request WM_DELETE_WINDOW"
        return 0
    fi
    for how in --system ""; do
        start_app
        find_window || exit 1
        sleep 1
        "$tools/wine-run" "$closer" "$title" $how || fail "close helper failed"
        wait_exit 10
        expect_clean_exit 3000 "close request ${how:-WM_CLOSE}"
    done
}

creation_failure() {
    # No X server answers on this display, so the window system refuses
    # to create the window: a real CreateWindowExW failure.
    dead=":$((RAVA_XVFB_DISPLAY + 100))"
    if xdpyinfo -display "$dead" >/dev/null 2>&1; then echo "display $dead unexpectedly exists"; exit 1; fi
    app_out="$work/$scenario.stdout"; app_err="$work/$scenario.stderr"
    if $native; then
        DISPLAY="$dead" "$exe" >"$app_out" 2>"$app_err"
        status=$?
        printf 'window.canvas: failed to open window/canvas X display %s\n' "$dead" >"$work/.expected_err"
    else
        DISPLAY="$dead" "$tools/wine-run" "$exe" >"$app_out" 2>"$app_err"
        status=$?
        printf 'window.canvas: failed to create window/canvas window\n' >"$work/.expected_err"
    fi
    [ $status -eq 1 ] && pass "exit status 1" || fail "exit status $status"
    cmp -s "$app_err" "$work/.expected_err" && pass "message on standard error" ||
        fail "standard error: [$(cat "$app_err")]"
    [ -s "$app_out" ] && fail "unexpected standard output: $(cat "$app_out")"
    xdotool search --name "$title_pattern" >/dev/null 2>&1 && fail "a window appeared"
    return 0
}

# Runs the program expecting exit status 1 and exactly one line on standard
# error, naming what is missing.
expect_refusal() {  # expected-stderr-line
    app_out="$work/$scenario.stdout"; app_err="$work/$scenario.stderr"
    "$exe" >"$app_out" 2>"$app_err"
    status=$?
    [ $status -eq 1 ] && pass "exit status 1" || fail "exit status $status"
    printf '%s\n' "$1" >"$work/.expected_err"
    cmp -s "$app_err" "$work/.expected_err" && pass "message on standard error" ||
        fail "standard error: [$(cat "$app_err")]"
    [ -s "$app_out" ] && fail "unexpected standard output: $(cat "$app_out")"
    return 0
}

no_glx() {
    # A second private server started without the GLX extension.
    bare=":$((RAVA_XVFB_DISPLAY + 200))"
    Xvfb "$bare" -screen 0 1280x1024x24 -nolisten tcp -extension GLX >/dev/null 2>&1 &
    xvfb_pid=$!
    i=0
    until xdpyinfo -display "$bare" >/dev/null 2>&1; do
        i=$((i + 1)); [ $i -gt 100 ] && { kill $xvfb_pid; echo "Xvfb $bare did not start"; exit 1; }
        sleep 0.1
    done
    DISPLAY="$bare" expect_refusal "window.canvas: window/canvas X display $bare has no GLX extension"
    kill $xvfb_pid; wait $xvfb_pid 2>/dev/null
    return 0
}

no_font() {
    # A fontconfig setup that knows no font directory at all.
    printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s</cachedir></fontconfig>\n' "$work/fc-cache" \
        >"$work/no-fonts.conf"
    FONTCONFIG_FILE="$work/no-fonts.conf" expect_refusal \
        'window.canvas: window/canvas fonts "Open Sans" and "DejaVu Sans" not found, and fontconfig offers no other font'
    xdotool search --name "$title_pattern" >/dev/null 2>&1 && fail "a window appeared"
    return 0
}

other_font() {
    # Without Open Sans and DejaVu Sans fontconfig's nearest font draws the text.
    mkdir -p "$work/only-serif"
    ln -sf /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf "$work/only-serif/"
    printf '<?xml version="1.0"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' \
        "$work/only-serif" "$work/fc-cache" >"$work/only-serif.conf"
    export FONTCONFIG_FILE="$work/only-serif.conf"
    start_app
    find_window || exit 1
    park_pointer
    sleep 1
    shot start
    ink=$(count_where "$last_shot" 34 50 300 45 "r > 0.5 && g > 0.5 && b > 0.5")
    [ "$ink" -gt 200 ] && pass "title drawn: $ink light pixels" || fail "title drawn: $ink light pixels"
    expect_pixel "$last_shot" 39 649 "48,116,96" "pause button (accent)"
    focus_app
    xdotool key Escape
    wait_exit 10
    expect_clean_exit 1000 "Escape"
}

# Under openbox: the manager gives the focus (at start, on a click, on
# activation), keys reach the program only while it has the focus, the
# manager resizes the window, and its close button ends the program.
window_manager() {
    openbox_home="$work/openbox"
    . "$tools/openbox-env"
    other_pid=""
    app_pid=""
    # Whatever happens, nothing of this scenario outlives it.
    trap '[ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; [ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null; stop_openbox' EXIT
    start_app
    find_window || exit 1
    # The manager reparents the window into its frame: the client origin is
    # its absolute position, the frame the child of the root holding it.
    geometry() {  # window -> x, y, w
        xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "x=" $NF} /Absolute upper-left Y/ {print "y=" $NF}
            /Width:/ {print "w=" $NF}'
    }
    eval "$(geometry "$xid")"; ox=$x; oy=$y
    frame=$xid
    while :; do
        tree=$(xwininfo -children -id "$frame")
        parent=$(echo "$tree" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        [ "$parent" = "$(echo "$tree" | sed -n 's/.*Root window id: \(0x[0-9a-f]*\).*/\1/p')" ] && break
        frame=$parent
    done
    [ "$frame" != "$xid" ] && pass "openbox framed the window" || fail "the window has no frame"
    park_pointer
    # Each C moves the swatch on (pink, cyan, yellow): a change shows the key arrived.
    pink="236,93,168"; cyan="80,207,237"; yellow="244,196,66"
    expect_swatch() {  # step expected
        await_shot swatch shot_pixel_is 784 649 "$2"
        expect_pixel "$last_shot" 784 649 "$2" "$1"
    }
    xdotool key c
    expect_swatch "key with the focus the manager gave at start" "$cyan"

    xmessage -name rava-other "another program" &
    other_pid=$!
    i=0
    until other=$(xdotool search --classname rava-other 2>/dev/null | head -1) && [ -n "$other" ] &&
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$other" ]; do
        i=$((i + 1)); [ $i -gt 100 ] && { fail "the other window never got the focus"; break; }
        sleep 0.1
    done
    xdotool key c
    sleep 0.5
    expect_swatch "key while another window has the focus" "$cyan"
    focus_app
    xdotool key c
    expect_swatch "key after a click gave the focus back" "$yellow"
    xdotool windowactivate --sync "$other" windowactivate --sync "$xid"
    xdotool key c
    expect_swatch "key after the manager activated the window again" "$pink"

    # A resize through the manager: the frames fill the new client area.
    xdotool windowsize --sync "$xid" 1100 760
    sleep 0.5
    shot resized
    expect_pixel "$last_shot" 1095 755 "$background" "background of the resized client area"
    expect_pixel "$last_shot" 784 649 "$pink" "swatch after the resize"

    # The close button: the right end of the title bar above the client.
    eval "$(geometry "$xid")"; ox=$x; oy=$y
    eval "$(geometry "$frame")"
    title_h=$((oy - y))
    xdotool mousemove $((x + w - title_h / 2 - 2)) $((y + title_h / 2)) click 1
    wait_exit 10
    expect_clean_exit 3000 "the manager's close button"
    app_pid=""
}

case "$scenario" in
startup | controls | close | creation_failure) "$scenario" ;;
no_glx | no_font | other_font | window_manager) if $native; then "$scenario"; else echo "$scenario is a native-only scenario"; exit 2; fi ;;
*) echo "unknown scenario $scenario"; exit 2 ;;
esac
echo "screenshots: $work/${scenario}_*.png"
[ $failures -eq 0 ]
