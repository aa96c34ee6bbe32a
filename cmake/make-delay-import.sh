#!/bin/sh
# Makes a delay-load import library from an ordinary MinGW import library: every function it imports from
# DLL is then bound on its first call instead of when the program starts.
# usage: make-delay-import.sh NM DLLTOOL IMPORT_LIBRARY DLL OUTPUT [--kill-at]
set -eu
nm="$1" dlltool="$2" library="$3" dll="$4" output="$5" killat="${6:-}"
def="$output.def"
{
    echo "LIBRARY $dll"
    echo "EXPORTS"
    # 32-bit symbols carry one more leading underscore than the exported names.
    "$nm" "$library" | sed -n 's/.* I __imp_//p' | if [ -n "$killat" ]; then sed 's/^_//'; else cat; fi | sort -u
} > "$def"
if [ -n "$killat" ]; then
    "$dlltool" -k -d "$def" -D "$dll" -y "$output"
else
    "$dlltool" -d "$def" -D "$dll" -y "$output"
fi
