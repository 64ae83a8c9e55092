#!/usr/bin/env bash
# The console self-extractor module with a 7z archive appended extracts that
# archive under wine64.
#   sfx_check.sh <work dir> <module> <archive.7z> <tree it was made from> <emulator...>
set -euo pipefail
work=${1:?} module=$2 archive=$3 tree=$4
shift 4
emulator=("$@")

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cat "$module" "$archive" >sample_sfx.exe
"${emulator[@]}" sample_sfx.exe -y -oout >sfx.log || { cat sfx.log; exit 1; }
diff -r "$tree" out
