#!/usr/bin/env bash
# Runs the program on a virtual display with a few changes recorded and a
# large copy under way, and saves a picture of its window.
#   tools/screenshot.sh <path to sentrel> <output .png>
#   tools/screenshot.sh <path to sentrel.exe> <output .png> <Wine prefix>
# The Windows program runs under Wine in a prefix of its own (the tests'
# prefix draws on no display at all), made on first use.
set -euo pipefail
program=$1
output=$2
work=$(mktemp -d)
data=$work/data
# On Linux the watched file lies on tmpfs, which holds the sparse 6 GB export
# in no memory: a copy from another file system is read and written, and
# takes long enough for its bar to be seen, where one within a file system
# would copy the export's holes at once.
[[ $program == *.exe ]] || data=$(mktemp -d -p /dev/shm 2>/dev/null) || data=$work/data
trap 'rm -rf "$work" "$data"' EXIT

mkdir -p "$work/app" "$data"
watched="$data/export.csv"
printf 'id,amount\r\n1,100\r\n' >"$watched"
if [[ $program == *.exe ]]; then
    export WINEPREFIX=$3 WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    cp "$program" "$work/app/sentrel.exe"
    file_name="Z:${watched//\//\\}"
    screen=1024x640
else
    cp "$program" "$work/app/sentrel"
    file_name=$watched
    screen=760x480
fi
printf '[Main]\r\nINTERVAL=200\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=1\r\nFOLLOWLOG=1\r\nFILENAME=%s\r\n' "$file_name" \
    >"$work/app/Settings.ini"

xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
    set -euo pipefail
    if [[ -f "$1/app/sentrel.exe" ]]; then
        if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
            timeout 900 wineboot -i >/dev/null 2>&1 || true
        fi
        # With no window manager, Wine draws the title bar and frame itself.
        wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Decorated /d N /f >/dev/null 2>&1
        (cd "$1/app" && exec wine sentrel.exe) >/dev/null 2>&1 &
    else
        "$1/app/sentrel" &
    fi
    pid=$!
    lines() { [ -f "$1/app/Log.csv" ] && wc -l <"$1/app/Log.csv" || echo 0; }
    wait_lines() { for _ in $(seq 600); do [ "$(lines "$1")" -ge "$2" ] && return 0; sleep 0.05; done; return 1; }
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
    if [[ -f "$1/app/sentrel.exe" ]]; then
        import -window root "$1/screen.png"
        wineserver -k
    else
        # The main window alone, found by its caption: the screen is larger
        # than the window, and what lies around it is no part of the picture.
        window=$(xwininfo -root -children | sed -n "s/^ *\(0x[0-9a-f]*\) \"Sentrel - .*/\1/p" | head -n 1)
        import -window "${window:?the main window was not found}" "$1/screen.png"
        # Ended at once: a closed window would let the copy finish first.
        kill -KILL $pid
    fi
' _ "$work" "$watched"
if [[ $program == *.exe ]]; then
    # The desktop around the window is plain: cut it away.
    convert "$work/screen.png" -trim +repage "$output"
else
    cp "$work/screen.png" "$output"
fi
echo "Saved $output"
