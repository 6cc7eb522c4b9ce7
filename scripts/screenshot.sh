#!/usr/bin/env bash
# Takes docs/screenshot.png: the workbench under Xvfb on a copy of the
# examples, with blink.asm assembled and stepped a few times; with "debug" as
# third argument docs/debugging.png instead: its listing, a breakpoint, a
# watch and the Debug panel; with DEMO BOARD STEPS another example stepped on
# a board of the boards folder.
# Usage: scripts/screenshot.sh [BUILD_DIR] [OUTPUT] [debug | DEMO BOARD STEPS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
mode="${3:-}"
demo=blink
if [ "$mode" = debug ]; then
  output="${2:-$root/docs/debugging.png}"
  extra=(--debug)
elif [ $# -ge 5 ]; then
  output="$2"
  demo="$3"
  extra=(--board "$4" --steps "$5")
else
  output="${2:-$root/docs/screenshot.png}"
  extra=()
fi
program="$build/src/ui/zelo8051"
[ -x "$program" ] || { echo "no $program: build first (make release)" >&2; exit 1; }
workspace="$(mktemp -d)"
trap 'rm -rf "$workspace"' EXIT
cp -r "$root/examples/." "$workspace/"
mkdir -p "$(dirname "$output")"
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1600x1000x24" \
  "$program" "$workspace" --screenshot "$output" --demo "$demo" "${extra[@]}"
echo "wrote $output"
