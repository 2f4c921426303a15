#!/usr/bin/env bash
# Runs the program under a virtual display with a few changes recorded and a
# large copy under way, and saves a picture of its window.
#   tools/screenshot.sh <path to sentrel> <output .png>
set -euo pipefail
program=$1
output=$2
work=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/app" "$work/data"
cp "$program" "$work/app/sentrel"
watched="$work/data/export.csv"
printf 'id,amount\r\n1,100\r\n' >"$watched"
printf '[Main]\r\nINTERVAL=200\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=1\r\nFOLLOWLOG=1\r\nFILENAME=%s\r\n' "$watched" \
    >"$work/app/Settings.ini"

xvfb-run -a -s "-screen 0 760x480x24" bash -c '
    set -euo pipefail
    "$1/app/sentrel" &
    pid=$!
    lines() { [ -f "$1/app/Log.csv" ] && wc -l <"$1/app/Log.csv" || echo 0; }
    wait_lines() { for _ in $(seq 200); do [ "$(lines "$1")" -ge "$2" ] && return 0; sleep 0.05; done; return 1; }
    wait_lines "$1" 1
    for row in 2 3 4; do
        sleep 1.1
        printf "%s,%s\r\n" "$row" "$((row * 100))" >>"$2"
        wait_lines "$1" "$row"
    done
    sleep 1.1
    # A large export: the next tick copies it, with the progress bar moving.
    truncate -s 6G "$2"
    for _ in $(seq 400); do
        size=$(find "$1/app/Copies" -type f -size +1G 2>/dev/null | head -1)
        [ -n "$size" ] && break
        sleep 0.02
    done
    sleep 0.3
    import -window root "$3"
    kill $pid
' _ "$work" "$watched" "$output"
echo "Saved $output"
