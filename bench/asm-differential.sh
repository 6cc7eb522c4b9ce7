#!/usr/bin/env bash
# Differential run of `z51 asm`: the assembler of a base revision against the
# one of the working tree, on every example, every test source (the .asm
# files under tests/ and the sources written as string literals in the
# assembler's unit tests), every saved fuzz input of the assembler and a few
# hundred generated programs, each on all three chips. Compares the listing
# (its date line aside), the HEX, task and statistics files, the report on
# stdout and stderr and the exit status.
#
#   bash bench/asm-differential.sh [BASE_REV] [NEW_Z51]
#     BASE_REV  git revision to compare with (default: main)
#     NEW_Z51   the z51 to check (default: build/release/tools/z51, built)
#   GENERATED=N generated programs (default 300), SEED=S their seed,
#   KEEP=1 keeps the work folder.
# Exit status 0 when every output is identical, 1 otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"
base_rev="${1:-main}"
new_z51="${2:-}"
command -v python3 >/dev/null || { echo "python3 is needed"; exit 2; }

work="${WORK:-$(mktemp -d /tmp/asm-differential.XXXXXX)}"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work"

# The base revision's z51, built once per commit (ccache makes it quick).
base_commit="$(git rev-parse "$base_rev")"
base_dir="${BASE_CACHE:-/tmp/z51-base}-$base_commit"
if [ ! -x "$base_dir/build/tools/z51" ]; then
    rm -rf "$base_dir"
    mkdir -p "$base_dir/src"
    git archive "$base_commit" | tar -x -C "$base_dir/src"
    cmake -S "$base_dir/src" -B "$base_dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DZELO_BUILD_GUI=OFF >/dev/null
    cmake --build "$base_dir/build" --target z51 -j "$(nproc)" >/dev/null
fi
base_z51="$base_dir/build/tools/z51"

if [ -z "$new_z51" ]; then
    [ -f build/release/build.ninja ] ||
        cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/release --target z51 -j "$(nproc)" >/dev/null
    new_z51="$repo/build/release/tools/z51"
fi

exec python3 - "$repo" "$work" "$base_z51" "$new_z51" "${GENERATED:-300}" "${SEED:-8051}" <<'PY'
import os, random, re, shutil, subprocess, sys
from concurrent.futures import ThreadPoolExecutor

repo, work, base_z51, new_z51, generated, seed = sys.argv[1:7]
generated, seed = int(generated), int(seed)
chips = ["8051", "8052", "89Cx051"]
cases = []  # (name, source bytes, {library file: bytes})

library = {}
libdir = os.path.join(repo, "examples", "8051.LIB")
for f in sorted(os.listdir(libdir)):
    with open(os.path.join(libdir, f), "rb") as fh:
        library[f] = fh.read()

def add(name, source, lib=None):
    cases.append((name, source, library if lib is None else lib))

# Examples, the library module itself and the .asm files of the tests.
for top in ("examples", "tests"):
    for root, _, files in sorted(os.walk(os.path.join(repo, top))):
        for f in sorted(files):
            if f.lower().endswith(".asm"):
                with open(os.path.join(root, f), "rb") as fh:
                    add(os.path.relpath(os.path.join(root, f), repo), fh.read())

# Sources written as adjacent string literals in the assembler's tests.
literal = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
run = re.compile(r'(?:"(?:[^"\\\n]|\\.)*"\s*)+')
def unescape(s):
    return s.encode("latin-1", "backslashreplace").decode("unicode_escape").encode("latin-1", "replace")
testdir = os.path.join(repo, "tests", "unit", "asm")
for f in sorted(os.listdir(testdir)):
    if not f.endswith(".cpp"):
        continue
    with open(os.path.join(testdir, f), encoding="utf-8", errors="replace") as fh:
        text = fh.read()
    for i, m in enumerate(run.finditer(text)):
        try:
            src = b"".join(unescape(p) for p in literal.findall(m.group(0)))
        except Exception:
            continue
        if src.count(b"\n") >= 2:
            add("%s#%d" % (f, i), src)

# Saved fuzz inputs: first byte the chip (all three are run anyway), then the
# source, the header 8051.LIB/A.H and the module 8051.LIB/M.lst cut at \x01.
corpus = os.path.join(repo, "tests", "fuzz", "corpus", "assembler")
for f in sorted(os.listdir(corpus)):
    with open(os.path.join(corpus, f), "rb") as fh:
        data = fh.read()
    if not data:
        continue
    parts = data[1:].split(b"\x01", 2) + [b"", b""]
    add("corpus/" + f, parts[0], {"A.H": parts[1], "M.lst": parts[2]})

# Generated programs from the opcode-form table.
forms = []
with open(os.path.join(repo, "tests", "unit", "asm", "data", "opcode_forms.txt")) as fh:
    for line in fh:
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        forms.append(line.lstrip("!").split(" | ")[0])
rng = random.Random(seed)
mistakes = ["MOV A,", "FOO R0", "SJMP NOWHERE", "MOV 300H,A", "DB 1,", "JB 99H.9,L0",
            "ADD A,#256", "ORG 10000H", "LJMP", "CJNE A,#1", "EQU 5", "MOV R8,A"]
def program():
    n = rng.randint(5, 120)
    faulty = rng.random() < 0.3  # a third of the programs have mistakes in them
    ending = rng.choice([b"\r\n", b"\n", b"\r"])
    # Which statements carry a label is chosen first, so that jumps and DW
    # items name labels defined before or after them.
    labelled = [rng.random() < 0.4 for _ in range(n)]
    names = ["L%d" % i for i in range(n) if labelled[i]] or ["L0"]
    if not labelled[0]:
        labelled[0] = True
    lines = []
    if rng.random() < 0.7:
        lines.append("\tORG %XH" % rng.choice([0, 0x30, 0x100, 0x0FFF, 0x0800]))
    for i in range(n):
        r = rng.random()
        label = "L%d" % i
        if r < 0.05:
            lines.append("K%d\tEQU %d" % (i, rng.randint(0, 255)))
        elif r < 0.10:
            lines.append("\tDB %s" % ",".join(str(rng.randint(0, 255)) for _ in range(rng.randint(1, 6))))
        elif r < 0.13:
            lines.append("\tDW %s,%d" % (rng.choice(names), rng.randint(0, 65535)))
        elif r < 0.14 and faulty:
            lines.append("\tORG $+%d" % rng.randint(0, 40))
        elif r < 0.18 and faulty:
            lines.append("\t" + rng.choice(mistakes))
        elif r < 0.21:
            lines.append("; a comment line %d" % i)
        else:
            src = rng.choice(forms)
            if "@@" in src:
                near = [x for x in names if abs(int(x[1:]) - i) < 12] or ["$"]
                src = src.replace("@@", rng.choice(near) if rng.random() < 0.8 else "$")
            text = ("%s:\t" % label if labelled[i] else "\t") + src
            if rng.random() < 0.3:
                text = text.lower()
            if rng.random() < 0.3:
                text += "\t; note " + str(rng.randint(0, 99))
            lines.append(text)
            continue
        if labelled[i]:
            lines.append(label + ":")
    if rng.random() < 0.8:
        lines.append("\tEND")
    return ending.join(l.encode() for l in lines) + (ending if rng.random() < 0.9 else b"")
for i in range(generated):
    add("generated/%03d" % i, program())

def run_one(z51, folder, source, lib, chip):
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(os.path.join(folder, "8051.LIB"))
    for name, data in lib.items():
        with open(os.path.join(folder, "8051.LIB", name), "wb") as fh:
            fh.write(data)
    with open(os.path.join(folder, "P.asm"), "wb") as fh:
        fh.write(source)
    p = subprocess.run([z51, "asm", os.path.join(folder, "P.asm"), "--chip", chip],
                       capture_output=True, timeout=60)
    out = {"exit": str(p.returncode).encode(), "stdout": p.stdout, "stderr": p.stderr}
    for f in ("P.lst", "P.hex", "P.tsk", "Scode8051.txt"):
        path = os.path.join(folder, f)
        data = open(path, "rb").read() if os.path.exists(path) else None
        if f == "P.lst" and data is not None:
            data = data.split(b"\r\n", 1)[-1]  # the date line differs from run to run
        out[f] = data
    return out

def check(job):
    k, (name, source, lib), chip = job
    a = run_one(base_z51, os.path.join(work, "base%d" % k), source, lib, chip)
    b = run_one(new_z51, os.path.join(work, "new%d" % k), source, lib, chip)
    shutil.rmtree(os.path.join(work, "base%d" % k))
    shutil.rmtree(os.path.join(work, "new%d" % k))
    return name, chip, [key for key in a if a[key] != b[key]], a["exit"]

def kind_of(name):
    top = name.split("/")[0]
    return top if "/" in name and top in ("corpus", "generated", "examples") else "tests"

jobs = [(k, c, chip) for k, (c, chip) in enumerate((c, chip) for c in cases for chip in chips)]
failures, statuses = [], {}
with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
    for name, chip, diff, status in pool.map(check, jobs):
        counts = statuses.setdefault(kind_of(name), {})
        counts[status.decode()] = counts.get(status.decode(), 0) + 1
        if diff:
            failures.append((name, chip, diff))
print("base %s\nnew  %s" % (base_z51, new_z51))
print("%d sources x 3 chips = %d runs" % (len(cases), len(jobs)))
for kind, counts in sorted(statuses.items()):
    print("  %-9s %4d runs, exit status %s" % (kind, sum(counts.values()),
          ", ".join("%s: %d" % kv for kv in sorted(counts.items()))))
for name, chip, diff in failures[:40]:
    print("DIFFERENT %s --chip %s: %s" % (name, chip, ", ".join(diff)))
print("identical" if not failures else "%d runs differ" % len(failures))
sys.exit(1 if failures else 0)
PY
