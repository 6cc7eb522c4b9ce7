#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded
# time (FUZZ_SECONDS, default 60). New inputs that widen coverage are merged,
# minimised, into tests/fuzz/corpus/<target>; a failing input is saved under
# tests/fuzz/corpus/<target>/ as crash-* so that `make test` replays it.
# Then the soak run: every example and differential program for SOAK_STEPS
# steps (default 10 million) each, checking the state stays consistent.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
soak_steps="${SOAK_STEPS:-10000000}"
# Targets that go through files work in memory when it is available.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
build=build/fuzz

if ! command -v clang++ >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELO_FUZZ=ON -DZELO_BUILD_GUI=OFF >/dev/null
targets=$(for f in tests/fuzz/fuzz_*.cpp; do basename "$f" .cpp; done)
cmake --build "$build" -j "$(nproc)" --target $targets zelo_soak >/dev/null

status=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target"); short=${name#fuzz_}
  corpus=tests/fuzz/corpus/$short
  work=$build/work/$short
  mkdir -p "$corpus" "$work"
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$corpus/crash-" -print_final_stats=1 "$work" "$corpus" 2>"$work.log"; then
    echo "   FAILED: see $work.log and $corpus/crash-*"; status=1
  fi
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$work.log" | sed 's/^/   /' || true
  "$target" -merge=1 "$corpus" "$work" >/dev/null 2>&1 || true
  echo "   corpus: $(find "$corpus" -type f | wc -l) inputs"
done

echo "== soak: ${soak_steps} steps per program"
if ! "$build"/tests/fuzz/zelo_soak --steps "$soak_steps" examples/*.asm tests/differential/programs/*.asm; then
  echo "   soak FAILED"; status=1
fi
exit $status
