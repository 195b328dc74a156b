#!/usr/bin/env bash
# Saves the README's screenshots into docs/: starts the demo server on free ports and drives the
# real window under Xvfb. Usage: tools/screenshots.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$here/build/demo}
work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/server/vornik-demo-server" --port 0 --db "$work/orders.sqlite" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do grep -q '^listening on' "$work/server.log" && break; sleep 0.1; done
port=$(sed -n 's/^listening on [0-9.]*:\([0-9]*\)-.*/\1/p' "$work/server.log")
[ -n "$port" ] || { cat "$work/server.log"; exit 1; }

mkdir -p "$work/program" "$here/docs"
cp "$here/assets/mylogo.jpg" "$work/program/"
printf '"127.0.0.1","DEMO","1234","","%s","","","","","",""\r\n' "$port" >"$work/program/Login.Inf"
printf '"ACME Auto Parts",1,1,"PO-4471",1,"","","","","","","",""\r\n' >"$work/program/Options.Inf"
xvfb-run -a -s "-screen 0 1024x768x24" "$build/tools/vornik-screenshots" "$work/program" "$here/docs"
