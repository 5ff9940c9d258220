#!/usr/bin/env bash
# check-includes.sh [SRC]: the include rule of the source tree (default src/).
# The core never includes the window side, and no two folders include each
# other, in either direction, directly: a folder that needs another's work sits
# above it, and what two folders share gets a folder of its own below both.
# A folder is the directory a file lies in (core/files, ui/windows); an
# include "core/x/Y.h" is taken from the top of SRC, a bare "Y.h" from the
# including file's own folder. Prints each breach; exits 1 when there is one.
set -euo pipefail
src=${1:-"$(dirname "$0")/../src"}
cd "$src"

breaches=$(find . \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 |
    { xargs -0 grep -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' 2>/dev/null || true; } |
    awk '
    {
        file = substr($0, 1, index($0, ":") - 1)
        sub(/^\.\//, "", file)
        from = file
        if (!sub(/\/[^\/]*$/, "", from)) from = "."
        split($0, quoted, "\"")
        target = quoted[2]
        to = target
        if (!sub(/\/[^\/]*$/, "", to)) to = from
        if (to == from) next
        if (from ~ /^core(\/|$)/ && to ~ /^ui(\/|$)/)
            printf "%s includes %s: the core never includes the window side\n", file, target
        key = from SUBSEP to
        if (!(key in seen)) seen[key] = file " includes " target
    }
    END {
        for (key in seen) {
            split(key, pair, SUBSEP)
            back = pair[2] SUBSEP pair[1]
            if ((back in seen) && pair[1] < pair[2])
                printf "%s and %s include each other: %s; %s\n", pair[1], pair[2], seen[key], seen[back]
        }
    }' | sort)
if [ -n "$breaches" ]; then
    printf '%s\n' "$breaches" >&2
    exit 1
fi
