#!/usr/bin/env bash
# The lumo command against the floor the file system sets, on a tree of 100,000 small files in
# 1,000 folders: `lumo show` with one Folder item against `find -printf '%s %p\n' | wc -l`
# (every file listed with its size), and `lumo clear --yes` of a fresh copy against `rm -rf` of
# another copy; best of three each, side by side in one run. Also the peak memory of a show run
# per trace, beyond that of a run over an empty folder (GNU time's maximum resident set).
# Usage: bench/lumo_run.sh [BUILD_DIR]     (default build/native; REPEAT=n runs each n times, 3 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
repeat=${REPEAT:-3}
cmake --build "$build" --target lumo lumo-config >/dev/null
lumo=$(find "$build" -name lumo -type f -perm -u+x | head -1)
config_tool=$(find "$build" -name lumo-config -type f -perm -u+x | head -1)
work=$(mktemp -d "${TMPDIR:-/tmp}/lumo-run-bench.XXXXXX")
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
mkdir -p "$work/empty"

# One record with one Folder item over the given folder.
make_config() {
    printf '[Config]\r\nSoftware:Bench\r\nType:Root\r\nDescription:bench\r\nSelected:1\r\nVersion:1.0\r\nTree<>1<>0<>Folder><%s\r\n' \
        "$2" >"$work/$1.txt"
    "$config_tool" encrypt "$work/$1.txt" "$work/$1.dat" >/dev/null
}
make_config show "$work/tree"
make_config empty "$work/empty"

now() { date +%s.%N; }
best() { sort -g | head -1; }
copy() { rm -rf "$work/$1"; cp -a "$work/tree" "$work/$1"; sync; }
elapsed() { local t0 t1; t0=$(now); "$@" >/dev/null; t1=$(now); echo "$t1 - $t0" | bc -l; }

find "$work/tree" >/dev/null  # warm the caches once for everyone

show_lumo=$(for i in $(seq "$repeat"); do elapsed "$lumo" show --config "$work/show.dat"; done | best)
show_find=$(for i in $(seq "$repeat"); do elapsed sh -c "find '$work/tree' -printf '%s %p\n' | wc -l"; done | best)

clear_lumo=$(for i in $(seq "$repeat"); do
    copy clear; make_config clear "$work/clear"; elapsed "$lumo" clear --yes --config "$work/clear.dat"
    [ -z "$(ls -A "$work/clear")" ] || { echo "lumo clear left files behind" >&2; exit 1; }
done | best)
clear_rm=$(for i in $(seq "$repeat"); do copy rmcopy; elapsed rm -rf "$work/rmcopy"; done | best)

traces=$("$lumo" show --config "$work/show.dat" | sed -n 's/^Privacy Items:\([0-9]*\).*/\1/p')
rss() { /usr/bin/time -f '%M' "$lumo" show --config "$1" 2>&1 >/dev/null | tail -1; }
rss_tree=$(rss "$work/show.dat")
rss_empty=$(rss "$work/empty.dat")

printf 'traces                       %d\n' "$traces"
printf 'lumo show                    %.3f s\n' "$show_lumo"
printf "find -printf '%%s %%p' | wc   %.3f s\n" "$show_find"
printf 'show ratio                   %.2f x\n' "$(echo "$show_lumo / $show_find" | bc -l)"
printf 'lumo clear --yes             %.3f s\n' "$clear_lumo"
printf 'rm -rf                       %.3f s\n' "$clear_rm"
printf 'clear ratio                  %.2f x\n' "$(echo "$clear_lumo / $clear_rm" | bc -l)"
printf 'peak memory, show            %d KiB (empty folder: %d KiB)\n' "$rss_tree" "$rss_empty"
printf 'peak memory per trace        %.0f bytes\n' "$(echo "($rss_tree - $rss_empty) * 1024 / $traces" | bc -l)"
