#!/usr/bin/env bash
# Makes the smoke checks' archives with the Linux tools, from one small tree:
#   <dir>/tree/, <dir>/sample.7z, <dir>/sample.zip
set -euo pipefail
dir=${1:?usage: make_fixtures.sh <dir>}
# Non-ASCII names go into the archives as UTF-8 only under a UTF-8 locale.
export LC_ALL=C.UTF-8
rm -rf "$dir"
mkdir -p "$dir/tree/sub folder"
printf 'alpha\n' >"$dir/tree/a.txt"
printf 'beta, one folder down\n' >"$dir/tree/sub folder/b.txt"
printf '업데이트\n' >"$dir/tree/한글 이름.txt"
# Large enough to span several compressed blocks.
seq 1 20000 >"$dir/tree/sub folder/numbers.txt"
cd "$dir/tree"
7z a -t7z -bd "$dir/sample.7z" . >/dev/null
zip -q -r "$dir/sample.zip" .
