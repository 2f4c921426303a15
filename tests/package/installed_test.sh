#!/usr/bin/env bash
# Checks the Debian package: lintian's verdict, the files it holds, its desktop
# entry and AppStream metadata; then, where this process may install packages
# (as root, or through sudo without a password), installs it, runs the
# installed program as an unprivileged user until it has recorded and copied a
# real change, looks for that user's settings, log and copies, and removes the
# package again.
#
#   tests/package/installed_test.sh <sentrel_version_arch.deb>
set -uo pipefail

# Where the installed program keeps its files, below the home folder of a user
# who has none of the XDG_*_HOME variables set.
settings_folder=.config/sentrel
log_folder=.local/share/sentrel
copies_folder=.local/share/sentrel/Copies

app_id=io.github.sentrel.Sentrel
icon_sizes=(16 22 24 32 48 64 128 256)
# The unprivileged user the installed program runs as.
test_user=nobody
# How long the program may take to record a change before the test gives up.
# It bounds a hang; it does not measure anything.
wait_seconds=60

deb=${1:-}
[[ -f $deb ]] || { echo "usage: $0 <package.deb>" >&2; exit 2; }
deb=$(realpath "$deb")

failures=0
pass() { echo "ok: $*"; }
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
# check <what> <command...>: the command's output is shown only when it fails.
check() {
    local what=$1 output
    shift
    if output=$("$@" 2>&1); then
        pass "$what"
    else
        [[ -n $output ]] && sed 's/^/    /' <<<"$output"
        fail "$what"
    fi
}

work=$(mktemp -d)
pid=
installed=0
sudo=()
cleanup() {
    [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null
    if [[ $installed -eq 1 ]]; then
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -q -o DPkg::Lock::Timeout=600 sentrel >/dev/null
    fi
    "${sudo[@]}" rm -rf "$work"
}
trap cleanup EXIT

# --- The package file ---------------------------------------------------------

field() { dpkg-deb -f "$deb" "$1"; }
version=$(field Version)
check "file name sentrel_${version}_$(field Architecture).deb" \
    test "$(basename "$deb")" = "sentrel_${version}_$(field Architecture).deb"
check "dependencies read from the executable: $(field Depends)" \
    grep -q 'libqt6widgets6' <<<"$(field Depends)"

# Every error and warning, the manual page's and the changelog's among them;
# lintian's informational tags do not fail the package.
check "lintian finds no error or warning" lintian --fail-on error,warning "$deb"

root=$work/contents
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
check "usr/bin/sentrel is an executable" test -x "$root/usr/bin/sentrel"
check "usr/share/doc/sentrel/copyright" test -s "$root/usr/share/doc/sentrel/copyright"
check "desktop entry valid" desktop-file-validate "$desktop"
check "desktop entry names the icon $app_id" grep -qx "Icon=$app_id" "$desktop"
check "AppStream metadata valid" appstreamcli validate --no-net "$metainfo"
# The tree check also finds the desktop entry the metadata launches.
check "AppStream metadata valid with the rest of the package" appstreamcli validate-tree --no-net "$root"
check "AppStream release $version" grep -q "<release version=\"$version\"" "$metainfo"

# A PNG's width and height are the two 32-bit numbers at byte 16.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
for size in "${icon_sizes[@]}"; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
    check "icon ${size}x$size" test -f "$icon" -a "$(png_size "$icon" 2>/dev/null)" = "${size}x$size"
done

# --- The installed program ----------------------------------------------------

if [[ $(id -u) -ne 0 ]]; then
    if sudo -n true 2>/dev/null; then
        sudo=(sudo -n)
    else
        echo "skipped: installing the package needs root or sudo without a password"
        exit $((failures > 0))
    fi
fi
if dpkg-query -W -f='${Status}' sentrel 2>/dev/null | grep -q 'install ok installed'; then
    echo "skipped: sentrel is installed on this machine, and this test would replace and then remove it"
    exit $((failures > 0))
fi

echo "Installing $(basename "$deb")"
if DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=600 "$deb" >"$work/apt.log" 2>&1; then
    installed=1
    pass "apt-get install"
else
    cat "$work/apt.log"
    fail "apt-get install"
    exit 1
fi
check "sentrel on the PATH is /usr/bin/sentrel" test "$(command -v sentrel)" = /usr/bin/sentrel
check "desktop entry installed" test -f "/usr/share/applications/$app_id.desktop"

# The user's home, and a file to watch that the test changes and the user may
# read. The temporary folder is closed to others: open it.
home=$work/home
watched=$work/export.csv
chmod 755 "$work"
mkdir -p "$home/$settings_folder" "$work/runtime"
chmod 700 "$work/runtime"
printf 'id,amount\n1,100\n' >"$watched"
# Only some of the settings: the program writes back the ones it misses.
printf '[Main]\r\nINTERVAL=100\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=0\r\nFILENAME=%s\r\n' "$watched" \
    >"$home/$settings_folder/Settings.ini"
"${sudo[@]}" chown -R "$test_user:$(id -gn "$test_user")" "$home" "$work/runtime"

log_lines() { "${sudo[@]}" cat "$home/$log_folder/Log.csv" 2>/dev/null | wc -l; }
wait_for_lines() {
    local i
    for ((i = 0; i < wait_seconds * 10; i++)); do
        [[ $(log_lines) -ge $1 ]] && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# The user's own environment, as a desktop session would give it: a home and a
# runtime folder, no XDG_*_HOME variables, a fixed locale and time zone; no display.
"${sudo[@]}" setpriv --reuid="$test_user" --regid="$(id -g "$test_user")" --clear-groups -- \
    env -i HOME="$home" XDG_RUNTIME_DIR="$work/runtime" PATH=/usr/bin:/bin LANG=C.UTF-8 TZ=UTC \
    QT_QPA_PLATFORM=offscreen /usr/bin/sentrel >"$work/sentrel.out" 2>&1 &
pid=$!

if wait_for_lines 1; then
    pass "the first observation is in ~/$log_folder/Log.csv"
    printf '2,200\n' >>"$watched"
    check "the change is in ~/$log_folder/Log.csv" wait_for_lines 2
else
    fail "no line in ~/$log_folder/Log.csv within $wait_seconds s"
fi
kill -TERM "$pid" 2>/dev/null
for ((i = 0; i < wait_seconds * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -KILL "$pid" 2>/dev/null
wait "$pid"
check "the program ended on SIGTERM" test $? -eq 0
pid=

check "settings read from and written back to ~/$settings_folder/Settings.ini" \
    grep -q '^NOTIFY=' "$home/$settings_folder/Settings.ini"
copied() { "${sudo[@]}" find "$home/$copies_folder" -type f -exec cmp -s "$watched" {} \; -print 2>/dev/null | grep -q .; }
check "a copy of the changed file in ~/$copies_folder" copied

if [[ $failures -gt 0 ]]; then
    echo "What the program left in the user's home:"
    (cd "$home" && find . -mindepth 1 | sort | sed 's/^/    /')
    echo "What it printed:"
    sed 's/^/    /' "$work/sentrel.out"
fi

echo "Removing the package"
if DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -q -o DPkg::Lock::Timeout=600 sentrel >"$work/apt.log" 2>&1; then
    installed=0
    pass "apt-get remove"
else
    cat "$work/apt.log"
    fail "apt-get remove"
fi
check "/usr/bin/sentrel gone" test ! -e /usr/bin/sentrel

[[ $failures -eq 0 ]] && echo "Package checks passed." || echo "$failures package check(s) failed."
exit $((failures > 0))
