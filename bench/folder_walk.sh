#!/usr/bin/env bash
# Folder walk speed against the floor the file system sets: a tree of 100,000 small files in
# 1,000 folders; a Folder item's scan against `find -printf '%s %p\n'` (every file with its size)
# and its clear against `rm -rf`, each clear on a fresh copy, side by side in one run. Each figure
# is the best of RUNS runs (default 3), as wall time and as CPU time (user + system; steadier on a
# busy machine). TMPDIR says where the trees go (/dev/shm keeps a slow disk out of the figures).
# Usage: bench/folder_walk.sh [BUILD_DIR]     (default build/native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
runs=${RUNS:-3}
cmake --build "$build" --target bench_folder_walk >/dev/null
prog=$(find "$build" -name bench_folder_walk -type f | head -1)
work=$(mktemp -d "${TMPDIR:-/tmp}/lumo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work/tree" <<'PY'
import os, sys
root = sys.argv[1]
for top in range(10):
    for sub in range(100):
        folder = os.path.join(root, f"top{top:02d}", f"folder{sub:03d}")
        os.makedirs(folder)
        for f in range(100):
            with open(os.path.join(folder, f"file{f:03d}.tmp"), "wb") as out:
                out.write(b"x" * (f + 1))
PY

TIMEFORMAT='%R %U %S'
# "wall cpu" of a shell command.
timed() { { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'; }
# "wall cpu" as the bench program reports them.
lumo() { "$prog" "$@" | sed -E 's/.*seconds ([0-9.]+) cpu ([0-9.]+).*/\1 \2/'; }
best() { awk 'NR == 1 || $1 < w { w = $1 } NR == 1 || $2 < c { c = $2 } END { printf "%.3f %.3f\n", w, c }'; }
fresh() { rm -rf "$work/gone"; cp -a "$work/tree" "$work/gone"; sync; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
findsizes() { find "$1" -printf '%s %p\n' | wc -l; }

findsizes "$work/tree" >/dev/null  # warm the caches once for everyone
scan_find=$(for i in $(seq "$runs"); do timed findsizes "$work/tree"; done | best)
scan_lumo=$(for i in $(seq "$runs"); do lumo scan "$work/tree"; done | best)
clear_rm=$(for i in $(seq "$runs"); do fresh; timed rm -rf "$work/gone"; done | best)
clear_lumo=$(for i in $(seq "$runs"); do fresh; lumo clear "$work/gone"; done | best)
left=$(find "$work/gone" -mindepth 1 | wc -l)
memory=$("$prog" scan "$work/tree")

read -r sfw sfc <<<"$scan_find"; read -r slw slc <<<"$scan_lumo"
read -r crw crc <<<"$clear_rm"; read -r clw clc <<<"$clear_lumo"
echo "scan:  lumo ${slw}s (cpu ${slc}s)  find ${sfw}s (cpu ${sfc}s)  ratio wall $(ratio "$slw" "$sfw") cpu $(ratio "$slc" "$sfc")"
echo "clear: lumo ${clw}s (cpu ${clc}s)  rm -rf ${crw}s (cpu ${crc}s)  ratio wall $(ratio "$clw" "$crw") cpu $(ratio "$clc" "$crc")  (entries left: $left)"
echo "memory: $memory"
