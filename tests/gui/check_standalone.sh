#!/usr/bin/env bash
# The Standalone app starts on an X display (run under with-xvfb.sh), opens its TORKA
# window holding the 793 x 520 editor, stays up, and prints no error.
set -u

app=$1
home=$(mktemp -d)
log=$home/log
trap 'rm -rf "$home"' EXIT

HOME=$home "$app" >"$log" 2>&1 &
pid=$!

# The window appears small, then takes the editor's size.
window="" width=0 height=0
for _ in $(seq 150); do
    sleep 0.1
    kill -0 $pid 2>/dev/null || { echo "FAIL: the app exited"; cat "$log"; exit 1; }
    window=$(xwininfo -root -tree 2>/dev/null | grep '"TORKA"' | head -n 1)
    size=$(echo "$window" | grep -oE '[0-9]+x[0-9]+\+' | head -n 1 | tr -d '+')
    width=${size%x*} height=${size#*x}
    [ -n "$size" ] && [ "$width" -ge 793 ] && [ "$height" -ge 520 ] && break
done

sleep 1
alive=0
kill -0 $pid 2>/dev/null && alive=1
kill $pid 2>/dev/null
wait $pid 2>/dev/null

echo "window: ${window:-none}"
[ -n "$window" ] || { echo "FAIL: no TORKA window"; cat "$log"; exit 1; }
[ $alive = 1 ] || { echo "FAIL: the app did not stay up"; cat "$log"; exit 1; }

echo "size: ${width} x ${height}"
[ "${width:-0}" -ge 793 ] && [ "${height:-0}" -ge 520 ] || { echo "FAIL: the window is smaller than the editor"; exit 1; }

if grep -iE 'assert|error|exception|segmentation' "$log"; then
    echo "FAIL: the app printed errors"
    exit 1
fi
echo "Standalone OK"
