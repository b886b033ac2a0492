#!/usr/bin/env bash
# cmake --install puts both programs and both man pages under the prefix,
# and man renders both pages without a warning.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kinoreel bin/kinoreel-prep share/man/man1/kinoreel.1 share/man/man1/kinoreel-prep.1; do
    [ -f "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
for page in kinoreel kinoreel-prep; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$page.1: $warnings"
        exit 1
    fi
    LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$prefix/share/man/man1/$page.1" 2>/dev/null | grep -q 'EXIT STATUS'
done
