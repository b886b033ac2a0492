#!/usr/bin/env bash
# Writes the fuzz target's seed corpus into DIR: valid and broken sequences,
# each a control byte and the frame files separated by "|F|".
set -euo pipefail
dir=$1
mkdir -p "$dir"
px12='\x36\x3d\x44\x4b\x52\x59\x60\x67\x6e\x75\x7c\x83'
seed() { printf "$2" > "$dir/$1"; }
seed one-frame          '\x00P6 2 2 255 '"$px12"
seed three-frames       '\x02P6 2 2 255 '"$px12"'|F|P6 2 2 255 '"$px12"'|F|P6 2 2 255 '"$px12"
seed first-missing      '\x06P6 2 2 255 '"$px12"'|F|P6 2 2 255 '"$px12"'|F|P6 2 2 255 '"$px12"
seed negative-range     '\x21XY 2 2 1000 '"$px12"'|F|XY 2 2 1000 '"$px12"
seed height-mismatch    '\x01P6 2 2 255 '"$px12"'|F|P6 2 3 255 '"$px12"
seed maxval-mismatch    '\x01P6 2 2 255 '"$px12"'|F|P6 2 2 254 '"$px12"
seed cut-header         '\x01P6 2 2|F|P6 2 2 255 '"$px12"
seed long-field         '\x00P6 000000000002 2 255 '"$px12"
seed twelve-byte-field  '\x00P6 00000000002 2 255 '"$px12"
seed line-feed-header   '\x00P6\n2 2\n255\n'"$px12"
seed short-pixels       '\x01P6 2 3 255 \x01\x02\x03|F|P6 2 3 255 '"$px12"
seed bad-size           '\x01P6 0 2 255 |F|P6 715827883 1 255 '
seed odd-width          '\x00P6 5 1 255 abcdefghijklmno'
seed signs              '\x00P6 +2 \t2 -255 '"$px12"
seed huge-product      '\x00P6 2147483647 2147483647 255 '
