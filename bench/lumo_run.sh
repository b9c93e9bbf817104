#!/usr/bin/env bash
# The lumo command against the floor the file system sets, on a tree of 100,000 small files in
# 1,000 folders on the disk: `lumo show` with one Folder item against `find -printf '%s %p\n' |
# wc -l` (every file listed with its size); `lumo clear --yes` of a fresh copy (deleting with its
# workers) against `rm -rf` of another copy and against `lumo clear --yes --jobs 1` (the walk
# deleting each file itself); best of three each, side by side in one run. Then, when the Windows
# build is there, the same clears of `lumo.exe` under Wine, and one with --jobs 4 (under Wine
# the default is one: Wine's server makes every deletion itself, one after another). Also the peak memory of a show
# and of a clear run (GNU time's maximum resident set), the show's per trace beyond that of a
# run over an empty folder.
# Goals: clear <= 0.6 x rm -rf natively; show <= 1.1 x find.
# Usage: bench/lumo_run.sh [BUILD_DIR [WIN64_BUILD_DIR]]
#        (default build/native and build/win64, the latter skipped when it has no lumo.exe;
#        REPEAT=n runs each n times, 3 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
win_build=${2:-$root/build/win64}
repeat=${REPEAT:-3}
cmake --build "$build" --target lumo lumo-config >/dev/null
lumo=$(find "$build" -name lumo -type f -perm -u+x | head -1)
config_tool=$(find "$build" -name lumo-config -type f -perm -u+x | head -1)
lumo_exe=$(find "$win_build" -name lumo.exe -type f 2>/dev/null | head -1 || true)
case "${TMPDIR:-/tmp}" in /dev/shm*) echo "the tree must be on the disk: TMPDIR is $TMPDIR" >&2; exit 1 ;; esac
work=$(mktemp -d "${TMPDIR:-/tmp}/lumo-run-bench.XXXXXX")
trap 'rm -rf "$work"; [ -z "$lumo_exe" ] || wineserver -k >/dev/null 2>&1 || true' EXIT

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

make_config clear "$work/clear"
# One clear of a fresh copy: the command given, which must leave the folder empty.
clear_once() {
    copy clear
    elapsed "$@"
    [ -z "$(ls -A "$work/clear")" ] || { echo "$* left files behind" >&2; exit 1; }
}
clear_lumo=$(for i in $(seq "$repeat"); do clear_once "$lumo" clear --yes --config "$work/clear.dat"; done | best)
clear_serial=$(for i in $(seq "$repeat"); do
    clear_once "$lumo" clear --yes --jobs 1 --config "$work/clear.dat"
done | best)
clear_rm=$(for i in $(seq "$repeat"); do copy rmcopy; elapsed rm -rf "$work/rmcopy"; done | best)
copy clear
rss_clear=$(/usr/bin/time -f '%M' "$lumo" clear --yes --config "$work/clear.dat" 2>&1 >/dev/null | tail -1)

traces=$("$lumo" show --config "$work/show.dat" | sed -n 's/^Privacy Items:\([0-9]*\).*/\1/p')
rss() { /usr/bin/time -f '%M' "$lumo" show --config "$1" 2>&1 >/dev/null | tail -1; }
rss_tree=$(rss "$work/show.dat")
rss_empty=$(rss "$work/empty.dat")

printf 'traces                       %d\n' "$traces"
printf 'lumo show                    %.3f s\n' "$show_lumo"
printf "find -printf '%%s %%p' | wc   %.3f s\n" "$show_find"
printf 'show ratio                   %.2f x\n' "$(echo "$show_lumo / $show_find" | bc -l)"
printf 'lumo clear --yes             %.3f s\n' "$clear_lumo"
printf 'lumo clear --yes --jobs 1    %.3f s\n' "$clear_serial"
printf 'rm -rf                       %.3f s\n' "$clear_rm"
printf 'clear ratio (against rm -rf) %.2f x\n' "$(echo "$clear_lumo / $clear_rm" | bc -l)"
printf 'clear ratio (against 1 job)  %.2f x\n' "$(echo "$clear_lumo / $clear_serial" | bc -l)"
printf 'peak memory, show            %d KiB (empty folder: %d KiB)\n' "$rss_tree" "$rss_empty"
printf 'peak memory per trace        %.0f bytes\n' "$(echo "($rss_tree - $rss_empty) * 1024 / $traces" | bc -l)"
printf 'peak memory, clear           %d KiB\n' "$rss_clear"

[ -n "$lumo_exe" ] || { echo "(no lumo.exe in $win_build: the clears under Wine are left out)"; exit 0; }
export WINEPREFIX="$(cd "$win_build" && pwd)/wineprefix-bench" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
(wineserver -p 60; wine cmd /c exit) </dev/null >/dev/null 2>&1
win() { echo "Z:${1//\//\\}"; }
make_config wine "$(win "$work/clear")"
wine_clear=$(for i in $(seq "$repeat"); do clear_once wine "$lumo_exe" clear --yes --config "$(win "$work/wine.dat")"; done | best)
wine_serial=$(for i in $(seq "$repeat"); do
    clear_once wine "$lumo_exe" clear --yes --jobs 1 --config "$(win "$work/wine.dat")"
done | best)
wine_four=$(for i in $(seq "$repeat"); do
    clear_once wine "$lumo_exe" clear --yes --jobs 4 --config "$(win "$work/wine.dat")"
done | best)
copy clear
rss_wine=$(/usr/bin/time -f '%M' wine "$lumo_exe" clear --yes --config "$(win "$work/wine.dat")" 2>&1 >/dev/null | tail -1)
printf 'lumo.exe clear --yes (Wine)  %.3f s\n' "$wine_clear"
printf '  the same with --jobs 1     %.3f s\n' "$wine_serial"
printf '  the same with --jobs 4     %.3f s\n' "$wine_four"
printf 'Wine clear ratio (1 job)     %.2f x\n' "$(echo "$wine_clear / $wine_serial" | bc -l)"
printf 'Wine ratio, 4 jobs to 1      %.2f x\n' "$(echo "$wine_four / $wine_serial" | bc -l)"
printf 'peak memory, Wine clear      %d KiB\n' "$rss_wine"
