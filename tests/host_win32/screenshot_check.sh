#!/bin/sh
# Runs the canvas demo under Wine in Xvfb, screenshots the root window with
# ImageMagick and checks pixels of the drawn frame at known client positions.
# Usage: screenshot_check.sh DEMO.exe OUTPUT.png TOOLS_DIR [translucent]
# It uses a display and Wine prefix of its own, so that windows of tests
# running at the same time cannot cover the demo.
set -u
demo="$1"; shot="$2"; tools="$3"; mode="${4:-opaque}"
work=$(dirname "$shot")
base="${shot%.png}"
stop="$base.stop"
out="$base.out"
rm -f "$stop" "$out" "$shot"
export WINEPREFIX="$work/wineprefix-screenshot"
unset DISPLAY
RAVA_XVFB_DISPLAY=91
. "$tools/xvfb-env"

stopwin=$(echo "Z:$stop" | tr / '\\')
"$tools/wine-run" "$demo" "$stopwin" "$mode" >"$out" 2>&1 &
pid=$!
i=0
while ! grep -q '^ready' "$out" 2>/dev/null; do
    i=$((i + 1))
    if [ $i -gt 900 ] || ! kill -0 $pid 2>/dev/null; then
        echo "demo did not become ready:"; cat "$out"; touch "$stop"; wait $pid; exit 1
    fi
    sleep 0.2
done
sleep 1
import -window root "$shot"
touch "$stop"
wait $pid
status=$?
set -- $(grep '^ready' "$out" | tr -d '\r')
ox=$2; oy=$3
echo "client origin: $ox $oy, screenshot: $shot"

failures=0
pixel() {  # client x, client y -> "r,g,b"
    convert "$shot" -crop "1x1+$(($ox + $1))+$(($oy + $2))" -depth 8 txt:- |
        sed -n 's/.*srgb(\([0-9]*,[0-9]*,[0-9]*\)).*/\1/p'
}
expect() {  # x y "r,g,b" what
    got=$(pixel "$1" "$2")
    if [ "$got" != "$3" ]; then
        echo "FAIL $4 at ($1, $2): expected $3, got $got"; failures=$((failures + 1))
    else
        echo "ok   $4 at ($1, $2): $got"
    fi
}
colours() {  # distinct colours in a client rectangle x y w h
    convert "$shot" -crop "$3x$4+$(($ox + $1))+$(($oy + $2))" -format %k info:
}

expect 10 10 "17,27,34" "background"
expect 990 690 "17,27,34" "background corner"
expect 140 80 "200,60,40" "rectangle"
expect 40 40 "200,60,40" "rectangle top-left"
expect 240 80 "17,27,34" "right of rectangle"
expect 400 80 "60,180,140" "rounded rectangle"
expect 300 40 "17,27,34" "cut corner"
expect 400 40 "60,180,140" "rounded top edge"
expect 620 62 "43,47,54" "button"
expect 400 300 "50,200,100" "block top-left quadrant"
expect 900 300 "240,60,40" "block top-right quadrant"
expect 400 600 "40,110,240" "block bottom-left quadrant"
expect 900 600 "230,210,50" "block bottom-right quadrant"
expect 299 300 "17,27,34" "left of block"
for row in "150 20" "180 26" "220 36"; do
    set -- $row
    n=$(colours 40 "$1" 220 "$2")
    if [ "$n" -lt 2 ]; then
        echo "FAIL text at y=$1 drew nothing"; failures=$((failures + 1))
    else
        echo "ok   text at y=$1: $n colours"
    fi
done
[ $status -eq 0 ] || { echo "demo exited with $status"; cat "$out"; failures=$((failures + 1)); }
[ $failures -eq 0 ]
