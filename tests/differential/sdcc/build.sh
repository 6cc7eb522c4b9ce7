#!/usr/bin/env bash
# Rebuilds the checked-in Intel HEX files from results.c with SDCC (Debian
# package sdcc): the three memory models and a plain `sdcc` build. The tests
# use the checked-in files, so they run without the compiler.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build() {  # name, options
    mkdir -p "$work/$1"
    sdcc $2 -o "$work/$1/" results.c >/dev/null
    cp "$work/$1/results.ihx" "$1.ihx"
}
build small "-mmcs51 --model-small --iram-size 128"
build medium "-mmcs51 --model-medium --xram-loc 0x0100 --iram-size 128"
build large "-mmcs51 --model-large --iram-size 128"
build plain ""
