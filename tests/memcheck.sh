#!/usr/bin/env bash
# A whole load and playback under memcheck: no error in the player, no byte
# definitely lost.
set -euo pipefail
valgrind=$1 player=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for n in 1 2 3; do
    { printf 'P6 17 9 255 '; head -c $((17 * 9 * 3)) /dev/urandom; } > "a.$n.ppm"
done
printf 'P6 2 2' > a.4.ppm   # cut-off header: skipped
# --keep-debuginfo: the GL driver is unloaded before the leak check, and
# its suppression must still see its name.
"$valgrind" --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite --track-origins=yes --keep-debuginfo=yes \
    --suppressions="$here/valgrind.supp" -q "$player" a 1 5 3 > out.txt
grep -q '^Read frame 3: (17,9,255)$' out.txt
