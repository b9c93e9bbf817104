#!/usr/bin/env bash
# The lumo command on a Chrome profile with a history of 100,000 pages of one visit each (the
# stored chromium profile of tests/browsers, its History filled up): `lumo show` and
# `lumo clear --yes` with the activity log written (--log), on the shipped Chrome record's
# History item; each on a fresh copy, best of three. The clear includes its VACUUM.
# Usage: bench/browser_history.sh [BUILD_DIR]   (default build/native; VISITS=n, REPEAT=n)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
visits=${VISITS:-100000}
repeat=${REPEAT:-3}
cmake --build "$build" --target lumo lumo-config >/dev/null
lumo_dir=$(mktemp -d "${TMPDIR:-/tmp}/lumo-history-bench.XXXXXX")
trap 'rm -rf "$lumo_dir"' EXIT
# lumo writes its log beside itself: a copy of its own.
cp "$build/tools/lumo/lumo" "$lumo_dir/lumo"
work=$lumo_dir/work
mkdir -p "$work/made"
tar -xJf "$root/tests/browsers/stored-profiles.tar.xz" -C "$work/made"

python3 - "$work/made/Local/Google/Chrome/User Data/Default/History" "$visits" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
with db:
    for i in range(int(sys.argv[2])):
        cur = db.execute("INSERT INTO urls(url, title, visit_count, last_visit_time) VALUES (?, ?, 1, 0)",
                         (f"https://example.com/page/{i}", f"Page {i}"))
        db.execute("INSERT INTO visits(url, visit_time) VALUES (?, 0)", (cur.lastrowid,))
db.close()
PY

printf '[Config]\r\nSoftware:Google Chrome\r\nType:Plugins\r\nDescription:bench\r\nSelected:1\r\nVersion:1.0\r\nHistory<>1<>0<>Customize><ParseChromiumHistory<>%s\r\n' \
    "$work/profile/Local/Google/Chrome/User Data" >"$work/bench.txt"
"$build/tools/lumo-config/lumo-config" encrypt "$work/bench.txt" "$work/bench.dat" >/dev/null

now() { date +%s.%N; }
best() { sort -g | head -1; }
fresh() { rm -rf "$work/profile"; cp -a "$work/made" "$work/profile"; sync; }
elapsed() { local t0 t1; t0=$(now); "$@" >"$work/out" 2>>"$work/err"; t1=$(now); echo "$t1 - $t0" | bc -l; }

show=$(for i in $(seq "$repeat"); do fresh; elapsed "$lumo_dir/lumo" show --log --config "$work/bench.dat"; done | best)
traces=$(sed -n 's/^Find Google Chrome History: \([0-9]*\) tracks\.$/\1/p' "$work/out")
clear=$(for i in $(seq "$repeat"); do
    fresh; elapsed "$lumo_dir/lumo" clear --yes --log --config "$work/bench.dat"
    left=$(python3 -c 'import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM visits").fetchone()[0])' \
        "$work/profile/Local/Google/Chrome/User Data/Default/History")
    [ "$left" = 0 ] || { echo "lumo clear left $left visits" >&2; exit 1; }
done | best)
cleared=$(sed -n 's/^Clear Google Chrome History: \([0-9]*\) tracks\.$/\1/p' "$work/out")

printf 'visits                   %d\n' "$visits"
printf 'traces shown / cleared   %s / %s\n' "$traces" "$cleared"
printf 'lumo show --log          %.3f s\n' "$show"
printf 'lumo clear --yes --log   %.3f s\n' "$clear"
