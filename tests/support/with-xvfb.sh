#!/usr/bin/env bash
# Runs a command on a private Xvfb display. The server picks a free display number
# itself (-displayfd), so tests running in parallel never collide.
set -u

dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$dir"' EXIT

for _ in $(seq 200); do
    [ -s "$dir/display" ] && break
    kill -0 $server 2>/dev/null || { cat "$dir/log" >&2; exit 1; }
    sleep 0.02
done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }

export DISPLAY=:$(head -n 1 "$dir/display")
"$@"
