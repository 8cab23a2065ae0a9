# Sourced by playground_e2e.sh: starting the program on the private display,
# finding its client area, screenshots and pixel checks in client pixels.

failures=0
# The program's background colour, and ImageMagick's format for one pixel as "r,g,b".
background="17,27,34"
rgb_format='%[fx:round(255*r)],%[fx:round(255*g)],%[fx:round(255*b)]'
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
pass() { echo "ok   $*"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Starts the program in the background; sets app_pid, app_out, app_err.
start_app() {
    app_out="$work/$scenario.stdout"
    app_err="$work/$scenario.stderr"
    "$tools/wine-run" "$exe" >"$app_out" 2>"$app_err" &
    app_pid=$!
}

# Waits for the window, then sets ox/oy (client origin on the screen) and
# win_w/win_h (outer size). The frame is even on the left, right and bottom.
find_window() {
    i=0
    while :; do
        xid=$(xdotool search --name "$title_pattern" 2>/dev/null | head -1)
        [ -n "$xid" ] && break
        i=$((i + 1))
        if [ $i -gt 600 ] || ! kill -0 "$app_pid" 2>/dev/null; then
            echo "window did not appear"; cat "$app_err"; return 1
        fi
        sleep 0.1
    done
    eval "$(xdotool getwindowgeometry --shell "$xid")"
    win_w=$WIDTH; win_h=$HEIGHT
    border=$(((WIDTH - 1000) / 2))
    ox=$((X + border)); oy=$((Y + HEIGHT - 700 - border))
    echo "window $xid at $X,$Y size ${WIDTH}x$HEIGHT, client origin $ox,$oy"
    wait_first_frame
}

# The window is mapped before its first frame is presented; on a cold font
# cache and a busy machine that frame can take seconds. Waits until the top
# left client pixel shows the program's background.
wait_first_frame() {
    i=0
    while [ "$(import -window root -crop "1x1+$ox+$oy" +repage -format "$rgb_format" info: 2>/dev/null)" != "$background" ]; do
        i=$((i + 1))
        if [ $i -gt 300 ] || ! kill -0 "$app_pid" 2>/dev/null; then
            echo "no frame drawn"; cat "$app_err"; return 1
        fi
        sleep 0.1
    done
}

shot() {  # name -> $work/<scenario>_<name>.png, path in $last_shot
    last_shot="$work/${scenario}_$1.png"
    import -window root "$last_shot"
}

pixel() {  # shot x y -> "r,g,b" at client (x, y)
    convert "$1" -crop "1x1+$((ox + $2))+$((oy + $3))" +repage -format "$rgb_format" info:
}

# Shoots <name> until the command holds for $last_shot, for at most 5 s: on a
# busy machine a key's effect can show several frames late. The caller then
# checks $last_shot as usual, so a change that never comes still fails.
await_shot() {  # name command...
    await_name=$1; shift
    await_i=0
    while :; do
        shot "$await_name"
        "$@" && return 0
        await_i=$((await_i + 1)); [ $await_i -ge 50 ] && return 1
        sleep 0.1
    done
}
shot_pixel_is() { [ "$(pixel "$last_shot" "$1" "$2")" = "$3" ]; }  # x y "r,g,b"
shot_differs() { [ "$(diff_count "$1" "$last_shot" $2 $3 $4 $5)" -gt 0 ]; }  # other x y w h

expect_pixel() {  # shot x y "r,g,b" what
    got=$(pixel "$1" "$2" "$3")
    if [ "$got" = "$4" ]; then pass "$5 at ($2, $3): $got"; else fail "$5 at ($2, $3): expected $4, got $got"; fi
}

crop() {  # shot x y w h out.png: a client rectangle as its own image
    convert "$1" -crop "$4x$5+$((ox + $2))+$((oy + $3))" +repage "$6"
}

# Number of differing pixels between two shots inside a client rectangle.
diff_count() {  # shotA shotB x y w h
    crop "$1" "$3" "$4" "$5" "$6" "$work/.a.png"
    crop "$2" "$3" "$4" "$5" "$6" "$work/.b.png"
    compare -metric AE "$work/.a.png" "$work/.b.png" null: 2>&1 | cut -d' ' -f1
}

mean_brightness() {  # shot x y w h -> mean of all channels, 0..255 (integer)
    crop "$1" "$2" "$3" "$4" "$5" "$work/.m.png"
    convert "$work/.m.png" -format '%[fx:int(255*mean)]' info:
}

# Pixels in a client rectangle whose colour satisfies an fx predicate on r, g, b (0..1).
count_where() {  # shot x y w h predicate
    crop "$1" "$2" "$3" "$4" "$5" "$work/.c.png"
    convert "$work/.c.png" -fx "($6) ? 1 : 0" -format '%[fx:int(w*h*mean+0.5)]' info:
}

move() { xdotool mousemove $((ox + $1)) $((oy + $2)); }

# Waits up to $1 seconds for the program to end; sets app_status and app_ms
# (milliseconds from the call until the end).
wait_exit() {
    start=$(now_ms)
    i=0
    while kill -0 "$app_pid" 2>/dev/null; do
        i=$((i + 1))
        if [ $i -gt $(($1 * 100)) ]; then
            app_status=timeout; app_ms=$(($(now_ms) - start))
            kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null
            return 1
        fi
        sleep 0.01
    done
    wait "$app_pid"
    app_status=$?
    app_ms=$(($(now_ms) - start))
}

expect_clean_exit() {  # limit_ms how
    if [ "$app_status" = "0" ] && [ "$app_ms" -le "$1" ]; then
        pass "$2: exit status 0 after $app_ms ms"
    else
        fail "$2: exit status $app_status after $app_ms ms (limit $1 ms)"
    fi
    [ -s "$app_out" ] && fail "unexpected standard output: $(cat "$app_out")"
    [ -s "$app_err" ] && fail "unexpected standard error: $(cat "$app_err")"
    return 0
}

# Starts a native program (no Wine) in the background; sets app_pid, app_out, app_err.
start_native_app() {
    app_out="$work/$scenario.stdout"
    app_err="$work/$scenario.stderr"
    "$exe" >"$app_out" 2>"$app_err" &
    app_pid=$!
}
