#!/usr/bin/env bash
# Runs the same CPU-bound HEX file for the same number of instructions in
# ucsim's s51 and in `z51 run`, and prints both rates and their ratio.
# Usage: bench/compare-s51.sh RELEASE_BUILD_DIR   (STEPS=n to change the count)
set -euo pipefail

build=${1:?usage: compare-s51.sh RELEASE_BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
hex="$here/programs/cpu_bound.hex"
steps=${STEPS:-20000000}
z51="$build/tools/z51"

if ! command -v s51 >/dev/null 2>&1; then
  echo "compare-s51: s51 is not installed (scripts/install-deps.sh installs it)"
  exit 0
fi
if [ ! -x "$z51" ]; then
  echo "compare-s51: $z51 not found; build the release targets first"
  exit 1
fi

# CPU time (user + system) of a command, in seconds; the machine may be
# shared, so wall-clock time would measure the neighbours too.
cpu_seconds() {
  local TIMEFORMAT='%U %S'
  { time "$@" >"$out" 2>&1; } 2>&1 | awk '{ print $1 + $2 }'
}
out=$(mktemp)
trap 'rm -f "$out"' EXIT

z=$(cpu_seconds "$z51" run "$hex" --steps "$steps" --json)
if ! grep -q '"stop": "steps"' "$out"; then
  echo "compare-s51: z51 stopped before $steps steps"
  exit 1
fi
cmd=$(mktemp)
printf 'step %d\nquit\n' "$steps" >"$cmd"
s=$(cpu_seconds sh -c "s51 -t 8051 -q '$hex' < '$cmd'")
rm -f "$cmd"
if ! grep -q 'Stop at' "$out"; then
  echo "compare-s51: s51 did not run the program"
  exit 1
fi

awk -v n="$steps" -v z="$z" -v s="$s" 'BEGIN {
  if (z <= 0) z = 0.001; if (s <= 0) s = 0.001;
  printf "instructions      %d (cpu_bound.hex)\n", n;
  printf "s51               %.0f instructions/s (%.2f s CPU)\n", n / s, s;
  printf "z51 run           %.0f instructions/s (%.2f s CPU)\n", n / z, z;
  printf "ratio z51/s51     %.2f\n", s / z;
}'
