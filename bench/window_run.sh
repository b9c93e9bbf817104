#!/usr/bin/env bash
# The main window against the lumo command on the same tree and configuration, side by side in
# one run under Wine and a virtual display: 100 folders of 100 small files (10,100 traces with
# the folders). Show: `lumo.exe show` against the real window's Show; Clear: `lumo.exe clear
# --yes` of a fresh copy against the window's Clear of another. Each is timed as a whole
# process (Wine's start, loading, the run, the end), best of REPEAT; the window also reports the
# time from its click to its summary and how often the trace counter was repainted. Last, REPEAT
# Shows stopped after 1,000 traces: the time from the click on Stop to the summary, and how much
# of it passed before the window took the click.
# Goal: window <= 2 x lumo + 1 s, for Show and for Clear; Stop answered within 100 ms (median).
# Usage: bench/window_run.sh [BUILD_DIR]     (default build/win64; REPEAT=n, 3 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != "--inside" ]; then
    build=$(cd "${1:-$root/build/win64}" && pwd)
    cmake --build "$build" -j2 --target lumo lumo-config bench_window_run >/dev/null
    export WINEPREFIX="$build/wineprefix-bench" WINEDEBUG=-all
    mkdir -p "$WINEPREFIX"
    # The rest runs inside a virtual display with its own wineserver.
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" --inside "$build"
fi

build=$2
repeat=${REPEAT:-3}
lumo=$(find "$build" -name lumo.exe -type f | head -1)
config_tool=$(find "$build" -name lumo-config.exe -type f | head -1)
window=$(find "$build" -name bench_window_run.exe -type f | head -1)
work=$(mktemp -d "${TMPDIR:-/tmp}/lumo-window-bench.XXXXXX")
(wineserver -p 60; wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f) </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT

python3 - "$work/tree" <<'PY'
import os, sys
root = sys.argv[1]
for sub in range(100):
    folder = os.path.join(root, f"folder{sub:03d}")
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, f"file{f:03d}.tmp"), "wb") as out:
            out.write(b"x" * (f + 1))
PY

win() { echo "Z:${1//\//\\}"; }
# One folder per run: its PrivacyConfig.dat names one Folder item over `tree`.
make_run() {
    local dir=$1 tree=$2
    mkdir -p "$dir"
    printf '[Config]\r\nSoftware:Bench\r\nType:Root\r\nDescription:bench\r\nSelected:1\r\nVersion:1.0\r\nTree<>1<>0<>Folder><%s\r\n' \
        "$(win "$tree")" >"$dir/plain.txt"
    wine "$config_tool" encrypt "$(win "$dir/plain.txt")" "$(win "$dir/PrivacyConfig.dat")" >/dev/null
}
copy() { rm -rf "$work/$1"; cp -a "$work/tree" "$work/$1"; sync; }
now() { date +%s.%N; }
best() { sort -g | head -1; }
timed() { local t0 t1; t0=$(now); "$@" >"$work/out.txt"; t1=$(now); echo "$t1 - $t0" | bc -l; }

make_run "$work/show" "$work/tree"
wine "$lumo" show --config "$(win "$work/show/PrivacyConfig.dat")" >/dev/null  # warm the caches and Wine

show_lumo=$(for i in $(seq "$repeat"); do timed wine "$lumo" show --config "$(win "$work/show/PrivacyConfig.dat")"; done | best)
traces=$(sed -n 's/^Privacy Items:\([0-9]*\).*/\1/p' "$work/out.txt")
# The window's runs print their own figures: those of the fastest run are shown.
show_window=$(for i in $(seq "$repeat"); do
    echo "$(timed wine "$window" "$(win "$work/show")" show) $i"; cp "$work/out.txt" "$work/show-$i.txt"
done | best)

clear_lumo=$(for i in $(seq "$repeat"); do
    copy clearlumo; make_run "$work/cl" "$work/clearlumo"
    timed wine "$lumo" clear --yes --config "$(win "$work/cl/PrivacyConfig.dat")"
    [ -z "$(ls -A "$work/clearlumo")" ] || { echo "lumo clear left files behind" >&2; exit 1; }
done | best)
clear_window=$(for i in $(seq "$repeat"); do
    copy clearwin; make_run "$work/cw" "$work/clearwin"
    echo "$(timed wine "$window" "$(win "$work/cw")" clear) $i"; cp "$work/out.txt" "$work/clear-$i.txt"
    [ -z "$(ls -A "$work/clearwin")" ] || { echo "the window's clear left files behind" >&2; exit 1; }
done | best)
stops=$(for i in $(seq "$repeat"); do
    wine "$window" "$(win "$work/show")" stop >"$work/stop-$i.txt"
    echo "$(sed -n 's/^stop to summary *\([0-9.]*\) ms.*$/\1/p' "$work/stop-$i.txt") $i"
done | sort -g)
stop_median=$(echo "$stops" | sed -n "$(( (repeat + 1) / 2 ))p")
stop_run=${stop_median#* }; stop_median=${stop_median% *}

show_run=${show_window#* }; show_window=${show_window% *}
clear_run=${clear_window#* }; clear_window=${clear_window% *}
goal() { echo "2 * $1 + 1" | bc -l; }
verdict() { if [ "$(echo "$1 <= $(goal "$2")" | bc -l)" = 1 ]; then echo "met"; else echo "MISSED"; fi; }
printf 'traces                  %d\n' "$traces"
printf 'lumo.exe show           %.3f s\n' "$show_lumo"
printf 'window Show             %.3f s   (%.2f x; goal <= %.3f s: %s)\n' "$show_window" \
    "$(echo "$show_window / $show_lumo" | bc -l)" "$(goal "$show_lumo")" "$(verdict "$show_window" "$show_lumo")"
sed 's/^/    /' "$work/show-$show_run.txt"
printf 'lumo.exe clear --yes    %.3f s\n' "$clear_lumo"
printf 'window Clear            %.3f s   (%.2f x; goal <= %.3f s: %s)\n' "$clear_window" \
    "$(echo "$clear_window / $clear_lumo" | bc -l)" "$(goal "$clear_lumo")" "$(verdict "$clear_window" "$clear_lumo")"
sed 's/^/    /' "$work/clear-$clear_run.txt"
printf 'window Stop             %.1f ms median of %s ms   (goal <= 100 ms: %s)\n' "$stop_median" \
    "$(echo "$stops" | cut -d' ' -f1 | paste -sd/)" \
    "$(if [ "$(echo "$stop_median <= 100" | bc -l)" = 1 ]; then echo met; else echo MISSED; fi)"
echo '    a Show stopped after 1,000 traces, the median run:'
sed 's/^/    /' "$work/stop-$stop_run.txt"
