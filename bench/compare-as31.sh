#!/usr/bin/env bash
# Times `z51 asm` and as31 on equivalent generated 4000-line sources and
# prints the ratio. $1 = a release build folder (holding tools/z51).
set -euo pipefail
build="${1:?usage: compare-as31.sh RELEASE_BUILD_DIR}"
z51="$build/tools/z51"
command -v as31 >/dev/null || { echo "as31 is not installed: skipped"; exit 0; }
[ -x "$z51" ] || { echo "$z51 not found"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

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
: > "$work/ours"
: > "$work/theirs"
for _ in $(seq "$runs"); do
    elapsed_ns "$z51" asm "$work/bench.asm" >> "$work/ours"
    elapsed_ns as31 -Fhex -O"$work/as31.hex" "$work/bench_as31.asm" >> "$work/theirs"
done
ours=$(median < "$work/ours")
theirs=$(median < "$work/theirs")
echo "z51 asm: $((ours / 1000)) us per 4000-line source (median of $runs, process start included;"
echo "         writes the listing, HEX, task and statistics files)"
echo "as31:    $((theirs / 1000)) us per 4000-line source (median of $runs; writes the HEX file)"
awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "as31 / z51 asm time ratio: %.2f (above 1: z51 asm is faster)\n", a / b }'
