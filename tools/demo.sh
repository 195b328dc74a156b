#!/usr/bin/env bash
# Prepares a demo program folder, starts the demo supplier server and opens Vornik against it.
# Without a display the window runs under Xvfb, looks a demo part up and a screenshot is saved.
# Usage: tools/demo.sh BUILD_DIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: demo.sh BUILD_DIR}
demo="$build/demo-folder"
program="$demo/program"
mkdir -p "$program"

cp "$build/src/app/vornik" "$build/src/updater/ostrel" "$build/src/gui/libvornik_print.so" "$program/"
cp "$here/assets/mylogo.jpg" "$program/"
rm -f "$program/vornik.lock"

# Start the server on 3300, or on any four free ports when 3300 is taken.
log="$demo/server.log"
start_server() {
    "$build/server/vornik-demo-server" --port "$1" --db "$demo/orders.sqlite" >"$log" 2>&1 &
    server_pid=$!
    for _ in $(seq 50); do
        grep -q '^listening on' "$log" 2>/dev/null && return 0
        kill -0 "$server_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
if ! start_server 3300; then
    echo "Port 3300 is taken; starting the demo server on free ports instead."
    start_server 0 || { cat "$log"; exit 1; }
fi
trap 'kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true' EXIT
port=$(sed -n 's/^listening on [0-9.]*:\([0-9]*\)-.*/\1/p' "$log")
echo "Demo server (pid $server_pid) $(grep '^listening on' "$log"); log: $log"

# The demo account: 1234 / DEMO. Options.Inf is present, so no desktop launcher is made.
printf '"127.0.0.1","DEMO","1234","","%s","","","","","",""\r\n' "$port" >"$program/Login.Inf"
printf '"ACME Auto Parts",0,0,"",0,"","","","","","","",""\r\n' >"$program/Options.Inf"

echo "Try the part numbers PH3600, PF1234, B7721 or PF99 on the INQUIRY / ORDERING tab."
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$program/vornik"
else
    # The window under Xvfb looks PH3600 up on the demo server, so the picture shows its answer.
    shot="$demo/vornik-window.png"
    echo "No display found: running Vornik under Xvfb and saving a screenshot of an answer."
    xvfb-run -a -s "-screen 0 1024x768x24" \
        "$build/tools/vornik-screenshots" "$program" "$shot" PH3600
    echo "Screenshot of the window: $shot"
fi
