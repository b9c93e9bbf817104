#!/usr/bin/env bash
# winapp2.ini of 4,200 generated entries (every 40th present, a few malformed): `lumo winapp2`
# natively and under Wine (detection and the Wine process start included), and the program's
# start-up to its main window with it beside the shipped configuration, natively (headless) and
# under Wine (real windows on a virtual display, beside a run without winapp2.ini). Best of three.
# Usage: bench/winapp2_read.sh [NATIVE_BUILD] [WIN64_BUILD]   (REPEAT=n runs each n times; the
# Wine half is skipped when the win64 build has no lumo.exe)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${1:-$root/build/native}
win64=${2:-$root/build/win64}
repeat=${REPEAT:-3}
entries=${ENTRIES:-4200}
work=$(mktemp -d "${TMPDIR:-/tmp}/lumo-winapp2-bench.XXXXXX")
wine_appdata=
cleanup() {
  rm -rf "$work"
  if [ -n "$wine_appdata" ]; then
    rm -rf "$wine_appdata"/Vendor[0-9][0-9][0-9][0-9]
    wineserver -k >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

now() { date +%s.%N; }
best() { sort -g | head -1; }
elapsed() { local t0 t1; t0=$(now); "$@" >/dev/null 2>&1; t1=$(now); echo "$t1 - $t0" | bc -l; }

cmake --build "$native" --target lumo bench_winapp2_startup lumo_data >/dev/null
lumo=$(find "$native/tools" -name lumo -type f -perm -u+x | head -1)
shipped=$(find "$native/tools" -name PrivacyConfig.dat | head -1)

# Natively the portable shell takes %AppData% from XDG_CONFIG_HOME.
export HOME="$work/home" XDG_CONFIG_HOME="$work/appdata" XDG_DATA_HOME="$work/local"
mkdir -p "$HOME" "$XDG_DATA_HOME"
python3 "$root/bench/winapp2_generate.py" "$work/winapp2.ini" --entries "$entries" --present "$XDG_CONFIG_HOME"
"$lumo" winapp2 "$work/winapp2.ini" >"$work/native.txt"
summary=$(tail -1 "$work/native.txt")
native_read=$(for _ in $(seq "$repeat"); do elapsed "$lumo" winapp2 "$work/winapp2.ini"; done | best)
mkdir -p "$work/program" "$work/plain"
cp "$shipped" "$work/winapp2.ini" "$work/program/"
startup=$(find "$native/bench" -name bench_winapp2_startup -type f | head -1)
native_start=$("$startup" "$work/program")

printf 'generated winapp2.ini: %s lines, %s bytes\n' "$(wc -l <"$work/winapp2.ini")" "$(wc -c <"$work/winapp2.ini")"
printf 'native   lumo winapp2: %.3f s   (%s)\n' "$native_read" "$summary"
printf 'native   %s\n' "$native_start"

lumo_exe=$(find "$win64/tools" -name lumo.exe 2>/dev/null | head -1 || true)
if [ -z "$lumo_exe" ]; then
  echo "(no $win64/tools/.../lumo.exe: the Wine half is skipped)"
  exit 0
fi
cmake --build "$win64" --target lumo bench_winapp2_startup lumo_data >/dev/null
startup_exe=$(find "$win64/bench" -name bench_winapp2_startup.exe | head -1)
shipped_win=$(find "$win64/tools" -name PrivacyConfig.dat | head -1)
export WINEPREFIX="$win64/wineprefix-bench" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
(wineserver -p 300; wine cmd /c exit) </dev/null >/dev/null 2>&1 || true
wine_appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
# The present entries' folders in the prefix's own AppData, removed again at the end.
python3 "$root/bench/winapp2_generate.py" "$work/wine.ini" --entries "$entries" --present "$wine_appdata"
wine "$lumo_exe" winapp2 "Z:$work/winapp2.ini" 2>/dev/null | tr -d '\r' >"$work/wine.txt"
wine_summary=$(tail -1 "$work/wine.txt")
wine_bare=$(for _ in $(seq "$repeat"); do elapsed wine "$lumo_exe" --version; done | best)
wine_read=$(for _ in $(seq "$repeat"); do elapsed wine "$lumo_exe" winapp2 "Z:$work/winapp2.ini"; done | best)
printf 'Wine     lumo winapp2: %.3f s   (%s; "lumo --version" alone: %.3f s)\n' "$wine_read" "$wine_summary" "$wine_bare"

cp "$shipped_win" "$work/program/PrivacyConfig.dat"
cp "$shipped_win" "$work/plain/PrivacyConfig.dat"
# The windows need a wineserver started with the display: one virtual display and one server for
# every run, as on a desktop where Windows is running already; each run is a new process.
cat >"$work/gui.sh" <<SCRIPT
wineserver -k; wine cmd /c exit
for i in \$(seq $repeat); do
  t0=\$(date +%s.%N); wine cmd /c exit; t1=\$(date +%s.%N)
  echo "launch \$(echo "\$t1 - \$t0" | bc -l)"
done
for folder in plain program; do
  for i in \$(seq $repeat); do
    t0=\$(date +%s.%N)
    line=\$(wine '$startup_exe' "Z:$work/\$folder" 2>/dev/null | tr -d '\\r')
    t1=\$(date +%s.%N)
    echo "\$folder \$(echo "\$t1 - \$t0" | bc -l) \$line"
  done
done
wineserver -k
SCRIPT
xvfb-run -a -s '-screen 0 1024x768x24' sh "$work/gui.sh" >"$work/gui.txt" 2>/dev/null || true
printf 'Wine     a process launched and ended ("wine cmd /c exit"): %.3f s\n' \
  "$(grep '^launch ' "$work/gui.txt" | cut -d' ' -f2 | best)"
for folder in plain program; do
  fastest=$(grep "^$folder " "$work/gui.txt" | sort -k2 -g | head -1)
  label=$([ "$folder" = plain ] && echo "without winapp2.ini" || echo "with winapp2.ini")
  printf 'Wine     %s: the process %.3f s; %s\n' "$label" "$(echo "$fastest" | cut -d' ' -f2)" \
    "$(echo "$fastest" | cut -d' ' -f3-)"
done
