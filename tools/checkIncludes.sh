#!/usr/bin/env bash
# Checks how the source folders include each other. A file's folder is its
# first path component below the source root, except that ui/qt and ui/win32
# are folders of their own and everything under platform/ is "platform"; the
# folder of a quoted include such as "watch/modSentrel.h" is found the same way.
# Layers, lowest first:
#   platform 0 < common 1 < watch, log, copies, tray, view 2 < app 3 < ui/qt, ui/win32 4
# Fails when a file includes a folder of a higher layer, when a folder has no
# layer, and when the folders' include graph has a cycle of any length.
#
#   tools/checkIncludes.sh [source root]     (default: the repository's src/)
set -uo pipefail

if [[ $# -gt 0 ]]; then
    root=${1%/}
else
    cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2
    root=src
fi
[[ -d $root ]] || { echo "checkIncludes: $root is not a folder" >&2; exit 2; }

mapfile -t files < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) | LC_ALL=C sort)

# /dev/null keeps awk from reading standard input when there are no files.
awk -v root="$root/" -v nfiles="${#files[@]}" '
function folder(path,   n, c) {
    n = split(path, c, "/")
    if (c[1] == "platform") return "platform"
    if (c[1] == "ui" && n > 2 && (c[2] == "qt" || c[2] == "win32")) return "ui/" c[2]
    return n > 1 ? c[1] : "(top)"
}
# The shortest way from v back to u, as "u v ... u", or "" when there is none.
function cycleThrough(u, v,   queue, parent, head, tail, n, s, i, w, path) {
    queue[1] = v
    parent[v] = ""
    for (head = tail = 1; head <= tail && !(u in parent); head++) {
        n = split(succ[queue[head]], s, " ")
        for (i = 1; i <= n; i++) if (!(s[i] in parent)) { parent[s[i]] = queue[head]; queue[++tail] = s[i] }
    }
    if (!(u in parent)) return ""
    path = u
    for (w = u; w != v; w = parent[w]) path = parent[w] " " path
    return u " " path
}
# Records a cycle once, however it is rotated, starting at its lowest folder.
function addCycle(text,   c, n, i, low, key, examples) {
    n = split(text, c, " ") - 1
    for (low = i = 1; i <= n; i++) if (rank[c[i]] < rank[c[low]]) low = i
    key = examples = ""
    for (i = 0; i < n; i++) {
        key = key c[(low + i - 1) % n + 1] " -> "
        examples = examples "\n    " edge[c[(low + i - 1) % n + 1], c[(low + i) % n + 1]]
    }
    key = key c[low]
    if (!(key in known)) { known[key] = 1; cycles[++ncycles] = key examples }
}
BEGIN {
    order = "platform common watch log copies tray view app ui/qt ui/win32"
    nfolders = split(order, folders, " ")
    split("0 1 2 2 2 2 2 3 4 4", levels, " ")
    for (i = 1; i <= nfolders; i++) { layer[folders[i]] = levels[i] + 0; rank[folders[i]] = i }
}
FNR == 1 {
    file = FILENAME
    from = folder(substr(file, 1, length(root)) == root ? substr(file, length(root) + 1) : file)
}
/^[ \t]*#[ \t]*include[ \t]*"[^"]*\/[^"]*"/ {
    path = $0
    sub(/^[^"]*"/, "", path)
    sub(/".*/, "", path)
    to = folder(path)
    where = file ": #include \"" path "\""
    included++
    if (!(from in layer) || !(to in layer)) { unknown[++nunknown] = where; next }
    if (layer[to] > layer[from]) upward[++nupward] = where
    if (to != from && !((from, to) in edge)) {
        edge[from, to] = where
        succ[from] = succ[from] " " to
    }
}
END {
    for (i = 1; i <= nfolders; i++) {
        n = split(succ[folders[i]], s, " ")
        for (j = 1; j <= n; j++) if ((found = cycleThrough(folders[i], s[j])) != "") addCycle(found)
    }
    if (nunknown) {
        print "Includes from or of a folder with no layer (give it one in tools/checkIncludes.sh):"
        for (i = 1; i <= nunknown; i++) print "  " unknown[i]
    }
    if (nupward) {
        print "Includes of a higher layer (platform < common < watch, log, copies, tray, view < app < ui):"
        for (i = 1; i <= nupward; i++) print "  " upward[i]
    }
    if (ncycles) {
        print "Cycles between folders, with one include of each step:"
        for (i = 1; i <= ncycles; i++) print "  " cycles[i]
    }
    if (nunknown || nupward || ncycles) {
        printf "Include check FAILED: %d include(s) without a layer, %d of a higher layer, %d cycle(s).\n",
            nunknown, nupward, ncycles
        exit 1
    }
    printf "Include check passed: %d files, %d folder includes, no include of a higher layer, no cycle.\n",
        nfiles, included
}' "${files[@]}" /dev/null
