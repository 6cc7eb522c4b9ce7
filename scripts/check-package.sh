#!/usr/bin/env bash
# Checks the Debian package that `make package` built: its metadata and file
# list, the installed programs at work in a scratch root (dpkg -x), the menu
# entry and metainfo validators, and lintian.
# Usage: scripts/check-package.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

version="$(sed -n 's/^project(ZELO8051 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
arch="$(dpkg --print-architecture)"
deb="$build/zelo8051_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "no $deb: run make package first" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# --- metadata ----------------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = zelo8051 ] && pass "package name" || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] && pass "version $version" || fail "Version is '$(field Version)', project says $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
depends="$(field Depends)"
depends_names=" $(sed 's/([^)]*)//g; s/[,|]/ /g' <<< "$depends" | tr -s ' ') "
# The shared libraries the programs link are declared from dpkg-shlibdeps.
for d in libc6 libstdc++6 libqt6core6 libqt6widgets6 qt6-qpa-plugins; do
  [[ "$depends_names" == *" $d "* ]] || fail "Depends lacks $d: $depends"
done
changelog_version="$(sed -n '1s/^zelo8051 (\([^)]*\)).*/\1/p' "$root/packaging/changelog")"
[ "$changelog_version" = "$version" ] || fail "packaging/changelog's newest entry is $changelog_version, not $version"

# --- file list ---------------------------------------------------------------
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./||; /\/$/d' | sort > "$scratch/files"
required=(
  usr/bin/zelo8051 usr/bin/z51
  usr/share/applications/zelo8051.desktop
  usr/share/metainfo/zelo8051.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/zelo8051.svg
  usr/share/man/man1/zelo8051.1.gz usr/share/man/man1/z51.1.gz
  usr/share/doc/zelo8051/copyright usr/share/doc/zelo8051/changelog.gz
  usr/share/lintian/overrides/zelo8051
)
for size in 16 24 32 48 64 128 256; do
  required+=("usr/share/icons/hicolor/${size}x${size}/apps/zelo8051.png")
done
for f in "${required[@]}"; do grep -qxF "$f" "$scratch/files" || fail "missing $f"; done
grep -v '^usr/' "$scratch/files" && fail "files outside /usr"
# The shipped examples are exactly those of the source tree: nothing left
# out, nothing that assembling them in place would have added.
if git -C "$root" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  (cd "$root/examples" && git ls-files . ':!.gitignore') | sort > "$scratch/examples.expected"
  [ -d "$root/boards" ] && (cd "$root" && git ls-files boards) | sort >> "$scratch/examples.expected"
  sed -n 's|^usr/share/zelo8051/||p' "$scratch/files" | sort > "$scratch/examples.shipped"
  sort -o "$scratch/examples.expected" "$scratch/examples.expected"
  if diff -u "$scratch/examples.expected" "$scratch/examples.shipped"; then
    pass "examples match the source tree ($(wc -l < "$scratch/examples.shipped") files)"
  else
    fail "shipped examples differ from the tracked files of examples/ (see diff above)"
  fi
fi

# --- installed into a scratch root -------------------------------------------
dpkg -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
first_line="$("$usr/bin/z51" --version | head -n 1)"
[ "$first_line" = "z51 (ZELO8051) $version" ] && pass "z51 --version: $first_line" \
  || fail "z51 --version says '$first_line'"
"$usr/bin/zelo8051" --version | grep -qxF "zelo8051 (ZELO8051) $version" || fail "zelo8051 --version"
if git -C "$root" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  commit="$(git -C "$root" rev-parse --short=12 HEAD)"
  "$usr/bin/z51" --version | grep -q "^git commit $commit" || fail "z51 --version does not name commit $commit"
fi
# An example that INCLUDEs a header of the shipped 8051.LIB.
example="$usr/share/zelo8051/include_header.asm"
if out="$("$usr/bin/z51" asm "$example" 2>&1)" && [[ "$out" == *"Round 1 PASS!"*"Round 2 PASS!"* ]] \
   && [ -s "${example%.asm}.hex" ]; then
  pass "installed z51 asm on include_header.asm"
else
  fail "installed z51 asm on $example: $out"
fi
# Started as from the menu, the installed workbench makes ~/ZELO8051 from
# the examples installed beside it.
home="$scratch/home"
mkdir -p "$home"
if (cd "$scratch" && env -u ZELO8051_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
      "$usr/bin/zelo8051" --screenshot "$scratch/window.png" > /dev/null 2>&1) \
   && [ -f "$home/ZELO8051/blink.asm" ] && [ -d "$home/ZELO8051/8051.LIB" ]; then
  pass "first start seeds ~/ZELO8051 from /usr/share/zelo8051"
else
  fail "the installed workbench did not seed ~/ZELO8051"
fi

# --- menu entry, metainfo, lintian -------------------------------------------
desktop-file-validate "$usr/share/applications/zelo8051.desktop" && pass "desktop entry" \
  || fail "desktop-file-validate"
# The component id is the program's name: the project has no domain of its
# own to build a reverse-DNS id from.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
  "$usr/share/metainfo/zelo8051.metainfo.xml" > "$scratch/appstream" 2>&1 \
  && pass "metainfo" || { cat "$scratch/appstream"; fail "appstreamcli validate"; }
# Errors and warnings fail; the warnings the package means are explained in
# its lintian overrides.
lintian_status=0
lintian --fail-on error,warning --display-info "$deb" > "$scratch/lintian" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$scratch/lintian" || true
[ "$lintian_status" -eq 0 ] && pass "lintian" || fail "lintian"

if [ "$failures" -gt 0 ]; then
  echo "$failures package check(s) failed" >&2
  exit 1
fi
echo "package $deb checked"
