#!/usr/bin/env bash
# Makes the docs' sample history again: the last 250 daily bars of 600000
# (浦发银行, unadjusted) from the test data that the npm package hqchart
# (Apache-2.0) publishes in package/src/jscommon/umychart.testdata/DayKLine/
# 600000.sh.day.kline.js, as rows [yyyymmdd, previous close, open, high, low,
# close, volume, amount]. Writes docs/samples/day_bars.csv (the harness's CSV)
# and docs/samples/sh600000.day (the same bars as a TDX terminal day file:
# 32-byte records of date, prices in hundredths, amount as a float, volume).
# The package itself is fetched into a scratch directory and never kept.
# Usage: scripts/sample_bars.sh [hqchart version] (default: the one named in
# docs/samples/SOURCE.txt).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
version=${1:-$(sed -n 's/^hqchart \([0-9.]*\)$/\1/p' "$top/docs/samples/SOURCE.txt")}
[ -n "$version" ] || { echo "no hqchart version given or named in docs/samples/SOURCE.txt"; exit 1; }
scratch=$(mktemp -d /tmp/tarvex-hqchart-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && npm pack --silent "hqchart@$version" >/dev/null)
data=package/src/jscommon/umychart.testdata/DayKLine/600000.sh.day.kline.js
tar -xzf "$scratch"/hqchart-*.tgz -C "$scratch" "$data"
/usr/bin/python3 - "$scratch/$data" "$top/docs/samples" <<'PY'
import json, struct, sys
text = open(sys.argv[1], encoding="utf-8").read()
rows = json.loads(text[text.index("{"):text.rindex("}") + 1])["data"][-250:]
out = sys.argv[2]
def cents(v):
    return int(round(v * 100))
with open(out + "/day_bars.csv", "w", newline="\n") as csv, open(out + "/sh600000.day", "wb") as day:
    csv.write("time,open,high,low,close,volume,amount\n")
    for d, _prev, o, h, l, c, vol, amount in rows:
        o, h, l, c = (cents(v) for v in (o, h, l, c))
        csv.write("%04d-%02d-%02d,%.2f,%.2f,%.2f,%.2f,%d,%d\n"
                  % (d // 10000, d // 100 % 100, d % 100, o / 100, h / 100, l / 100, c / 100, vol, round(amount)))
        day.write(struct.pack("<IIIIIfII", d, o, h, l, c, amount, int(vol), 0))
print("%d bars, %d to %d" % (len(rows), rows[0][0], rows[-1][0]))
PY
