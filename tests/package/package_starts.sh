#!/usr/bin/env bash
# Packs the build with cpack, unpacks the TGZ into a temporary folder, starts vornik from there
# (offscreen) and checks that it made its Login.Inf beside itself. Ends only the process it started.
set -euo pipefail
build=${1:?usage: package_starts.sh BUILD_DIR}
tmp=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT

cpack --config "$build/CPackConfig.cmake" -G TGZ -B "$tmp/pack" >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log"; exit 1; }
mkdir "$tmp/unpacked"
tar -xzf "$tmp"/pack/vornik-*.tar.gz -C "$tmp/unpacked"
folder=$(echo "$tmp"/unpacked/vornik-*)
for f in vornik ostrel libvornik_print.so vornik.png shortcut.inf; do
    [ -e "$folder/$f" ] || { echo "missing in the package: $f"; exit 1; }
done

HOME="$tmp/home" QT_QPA_PLATFORM=offscreen "$folder/vornik" >"$tmp/vornik.log" 2>&1 &
pid=$!
for _ in $(seq 150); do
    [ -e "$folder/Login.Inf" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "vornik ended early"; cat "$tmp/vornik.log"; exit 1; }
    sleep 0.1
done
[ -e "$folder/Login.Inf" ] || { echo "no Login.Inf after 15 s"; exit 1; }
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
