#!/bin/sh
# Archives for the Windows suites, made on the Linux side by the installed 7z
# command before they run: every method the updater may meet, and the stored
# names and links that extraction must refuse.
#   make_fixtures.sh <folder>
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out/src/sub/deeper" "$out/src/empty"
cd "$out/src"
printf 'alpha\n' > a.txt
: > sub/empty.txt
seq 1 40000 > sub/numbers.txt
printf '\355\225\234\352\270\200\n' > "sub/deeper/한글 이름.txt"
z() { 7z "$@" -bd > /dev/null; }
for method in Copy LZMA LZMA2 PPMd BZip2 Deflate; do
  z a "-m0=$method" "../method-$method.7z" .
done
z a -mx1 -psecret -mhe=on ../encrypted.7z .

# Names that would land outside the folder they are extracted into.
mkdir -p "$out/names"
cd "$out/names"
for name in ok climb abs unc drive slash; do echo "$name" > "$name.txt"; done
z a ../refusals.7z ok.txt climb.txt abs.txt unc.txt drive.txt slash.txt
# The 7z format separates with '/', which the Windows codec reports as '\';
# a backslash stored by Linux is an ordinary character of the name there.
z rn ../refusals.7z climb.txt '../climb.txt' abs.txt 'C:/abs.txt' \
  unc.txt '//server/share/unc.txt' drive.txt 'D:drive.txt' slash.txt '..\slash.txt'

# A link in the way: Wine shows a Unix link as a reparse point.
mkdir -p "$out/links/outside" "$out/links/base" "$out/links/src/linked"
echo inside > "$out/links/src/linked/x.txt"
echo outside > "$out/links/outside/x.txt"
ln -s ../outside "$out/links/base/linked"
cd "$out/links/src"
z a ../linked.7z linked/x.txt
