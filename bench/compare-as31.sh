#!/usr/bin/env bash
# Times `z51 asm` and as31 on equivalent generated 4000-line sources and
# prints the ratio. $1 = a release build folder (holding tools/z51).
#
# The headline ratio is taken in a memory-backed folder (/dev/shm), so it
# compares the two assemblers' work and not the disk: z51 writes
# "Scode8051.txt" durably (file and folder synced, 5-7 ms on an ext4 disk
# that as31, writing one HEX file without a sync, never waits for). The
# same measurement in a folder on the disk is printed after it.
set -euo pipefail
build="${1:?usage: compare-as31.sh RELEASE_BUILD_DIR}"
z51="$build/tools/z51"
command -v as31 >/dev/null || { echo "as31 is not installed: skipped"; exit 0; }
[ -x "$z51" ] || { echo "$z51 not found"; exit 1; }
work="$(mktemp -d)"
memory=""
if [ -d /dev/shm ] && [ -w /dev/shm ]; then memory="$(mktemp -d -p /dev/shm)"; fi
trap 'rm -rf "$work" ${memory:+"$memory"}' EXIT

# The same 4000 lines (ORG, 3998 statements, END); only the directives differ (ORG/DB/END and
# .org/.db/.end).
generate() {  # $1 org $2 db $3 end
    echo "	$1 0"
    local n=1 b=0
    while [ $n -lt 3999 ]; do
        local l="B$b"
        for line in "$l:	MOV R7,#20" "	MOV A,#0FFH" "	MOV 30H,#12H" "	ADD A,30H" "	ADDC A,@R0" \
                    "	ANL A,#0F0H" "	ORL P1,#01H" "	SETB P1.0" "	CLR C" "	JNB TI,$l" "	CJNE A,#10,$l" \
                    "	MOV DPTR,#$l" "	MOVC A,@A+DPTR" "	PUSH ACC" "	POP ACC" "	LCALL $l" "	DJNZ R7,$l" \
                    "	INC 30H" "	XRL A,R3" "	NOP"; do
            [ $n -ge 3999 ] && break
            echo "$line"; n=$((n + 1))
        done
        b=$((b + 1))
    done
    echo "	$3"
}
generate ORG DB END > "$work/bench.asm"
generate .org .db .end > "$work/bench_as31.asm"

# The two assemblers run alternately, so a machine that speeds up or slows
# down during the measurement affects both alike; the medians are compared.
runs="${RUNS:-101}"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
elapsed_ns() {  # runs the command once, prints its wall time in nanoseconds
    # EPOCHREALTIME is read by the shell itself: no clock process is started
    # inside the measured interval.
    local start end
    start=${EPOCHREALTIME/[.,]/}
    "$@" >/dev/null 2>&1 || true
    end=${EPOCHREALTIME/[.,]/}
    echo $(((end - start) * 1000))
}
measure() {  # $1 folder holding the sources, $2 heading
    : > "$1/ours"
    : > "$1/theirs"
    for _ in $(seq "$runs"); do
        elapsed_ns "$z51" asm "$1/bench.asm" >> "$1/ours"
        elapsed_ns as31 -Fhex -O"$1/as31.hex" "$1/bench_as31.asm" >> "$1/theirs"
    done
    ours=$(median < "$1/ours")
    theirs=$(median < "$1/theirs")
    echo "$2"
    echo "z51 asm: $((ours / 1000)) us per 4000-line source (median of $runs, process start included;"
    echo "         writes the listing, HEX, task and statistics files)"
    echo "as31:    $((theirs / 1000)) us per 4000-line source (median of $runs; writes the HEX file)"
    awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "as31 / z51 asm time ratio: %.2f (above 1: z51 asm is faster)\n", a / b }'
}
if [ -n "$memory" ]; then
    cp "$work/bench.asm" "$work/bench_as31.asm" "$memory/"
    measure "$memory" "In a memory-backed folder (the assemblers' own work):"
    echo
fi
measure "$work" "In a folder on the disk ($(dirname "$work")):"
echo "(on a disk z51 creates four files and replaces them by rename, and syncs the"
echo " statistics file and its folder; as31 overwrites one file in place)"
