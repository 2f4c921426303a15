#!/usr/bin/env bash
# Runs tools/checkIncludes.sh on small made-up source trees.
set -uo pipefail
check="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/checkIncludes.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tree <name> <file:include,include...>...: a source tree of files holding those includes.
tree() {
    local dir="$work/$1" entry file
    shift
    for entry in "$@"; do
        file="$dir/${entry%%:*}"
        mkdir -p "$(dirname "$file")"
        : >"$file"
        [[ $entry == *:* ]] && tr ',' '\n' <<<"${entry#*:}" | sed 's/.*/#include "&"/' >"$file"
    done
}

# expect <tree> <exit status> <text the output must hold>...
expect() {
    local output status text
    output=$("$check" "$work/$1/" 2>&1)
    status=$?
    [[ $status -eq $2 ]] || { echo "$1: exit status $status, expected $2"; failures=$((failures + 1)); }
    for text in "${@:3}"; do
        grep -qF -- "$text" <<<"$output" || { echo "$1: no \"$text\" in:"; echo "$output"; failures=$((failures + 1)); }
    done
}

# Every layer including lower ones, siblings one way, the generated version header, local includes.
tree clean platform/posix/a.cpp:platform/files.h,platform/win32/z.h platform/files.h \
    common/c.h:platform/files.h,common/version.h watch/w.cpp:common/c.h,platform/files.h,watch/w.h,local.h \
    log/l.cpp:watch/w.h copies/k.h:log/l.h,view/v.h view/v.h:watch/w.h tray/t.h \
    app/a.cpp:copies/k.h,tray/t.h,platform/posix/x.h ui/qt/m.cpp:app/a.h,common/c.h,ui/qt/q.h \
    ui/win32/m.cpp:app/a.h,platform/win32/w.h
expect clean 0 "Include check passed: 11 files, 19 folder includes"

tree up platform/win32/e.h:common/rterror.h common/c.h:app/a.h watch/w.cpp:ui/qt/q.h app/a.h:common/c.h
expect up 1 'up/platform/win32/e.h: #include "common/rterror.h"' 'up/common/c.h: #include "app/a.h"' \
    'up/watch/w.cpp: #include "ui/qt/q.h"' "3 of a higher layer, 1 cycle(s)" \
    "common -> app -> common"

tree ring copies/k.cpp:view/v.h view/v.h:log/l.h log/l.cpp:copies/k.h log/m.h:view/v.h ui/qt/x.h:ui/win32/y.h ui/win32/y.h:ui/qt/x.h
expect ring 1 "0 of a higher layer, 3 cycle(s)" "log -> copies -> view -> log" "log -> view -> log" \
    "ring/view/v.h: #include \"log/l.h\"" "ui/qt -> ui/win32 -> ui/qt"

tree stray tests/t.cpp:common/c.h common/c.h:gui/g.h
expect stray 1 'stray/tests/t.cpp: #include "common/c.h"' 'stray/common/c.h: #include "gui/g.h"' \
    "2 include(s) without a layer"

[[ $failures -eq 0 ]] && echo "checkIncludes.sh passed its own tests." || exit 1
