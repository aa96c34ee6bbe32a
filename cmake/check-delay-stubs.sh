#!/bin/sh
# Fails when a linked executable lost the stub of a delay-loaded function: the linker then leaves the stub's
# symbol at absolute address 0, and the function's first call jumps there.
# usage: check-delay-stubs.sh NM EXECUTABLE DELAY_IMPORT_LIBRARY...
set -eu
nm="$1" executable="$2"
shift 2
stubs=$(mktemp)
trap 'rm -f "$stubs"' EXIT
"$nm" "$@" 2>/dev/null | awk '$2 == "T" { print $3 }' | sort -u >"$stubs"
lost=$("$nm" "$executable" | awk '$2 == "A" && $1 ~ /^0+$/ { print $3 }' | sort -u | comm -12 - "$stubs")
if [ -n "$lost" ]; then
    echo "$executable: the linker dropped the delay-load stubs of:" $lost >&2
    echo "declare these functions without dllimport (see src/CMakeLists.txt)" >&2
    exit 1
fi
