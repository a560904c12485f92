#!/usr/bin/env bash
# dravik-cli breadth, rs and report on a data root an update filled from the exchange's
# emulator (and from one started with --free, which refuses TOPIX): their text, CSV files,
# wrong usage and a root without market data.
#   cli_morning.sh DRAVIK-CLI JQUANTS-EMULATOR
set -euo pipefail
cli=$1 emulator=$2
work=$(mktemp -d)
pids=""
cleanup() {
  for p in $pids; do
    kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check NAME COMMAND...: counts a failure with its name
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1" >&2; failures=$((failures + 1)); fi
}

# A data root updated from an emulator started with the given options.
updated_root() {  # updated_root NAME EMULATOR-OPTIONS...
  local name=$1 out="$work/$1.emulator"
  shift
  TMPDIR=$work "$emulator" --issues 60 --years 1 "$@" >"$out" 2>&1 &
  pids="$pids $!"
  for _ in $(seq 1 300); do grep -q '^key ' "$out" 2>/dev/null && break; sleep 0.1; done
  mkdir -p "$work/$name/dravik" "$work/$name/quendal"
  printf 'jquants,%s\r\njquants-rate,100000\r\n' "$(sed -n 's/^base //p' "$out")" \
    >"$work/$name/dravik/services.csv"
  JQUANTS_API_KEY=$(sed -n 's/^key //p' "$out") SSL_CERT_FILE=$(sed -n 's/^certificate //p' "$out") \
    "$cli" update --days 60 --root "$work/$name" >"$work/$name.update" 2>&1
}

updated_root paid
root=$work/paid
check "the update ends with the bullish percent" grep -q '^強気％ .*, 業種の変化 [0-9]*, 新しいシグナル [0-9]*$' "$work/paid.update"

"$cli" breadth --root "$root" --csv "$work/b.csv" >"$work/b.out"
check "breadth: the newest day, its ratio and benchmark" grep -q '^強気％ [0-9/]*  株価幅 0.015  基準 TOPIX$' "$work/b.out"
check "breadth: the market and 33 sectors" test "$(grep -c '^[0-9][0-9][0-9][0-9] ' "$work/b.out")" -eq 33
check "breadth CSV: BOM and header" grep -q $'^\xEF\xBB\xBF日付,業種コード,業種名,銘柄数,強気％,状態,反転まで1枠,PT,RSP,RSX\r$' "$work/b.csv"
check "breadth CSV: a line per group" test "$(wc -l <"$work/b.csv")" -eq 35
check "breadth CSV: the market's line" grep -q '^[0-9/]*,市場,市場全体,60,' "$work/b.csv"

"$cli" breadth --sector 3700 --history --csv "$work/h.csv" --root "$root" >"$work/h.out"
check "breadth --history: a line per day" test "$(wc -l <"$work/h.csv")" -eq 61
check "breadth --sector: the sector's chart" grep -q '^3700 輸送用機器 強気％' "$work/h.out"

"$cli" rs 1301 --vs sector --csv "$work/rs.csv" --root "$root" >"$work/rs.out"
check "rs: the stock and its benchmark" grep -q '^1301 試験水産0  対水産・農林業（業種）  RS [0-9.]*' "$work/rs.out"
check "rs CSV: header" grep -q $'^\xEF\xBB\xBF日付,RS,列,シグナル\r$' "$work/rs.csv"
check "rs CSV: days" test "$(wc -l <"$work/rs.csv")" -gt 30
"$cli" rs 1301 --root "$root" >"$work/rs2.out"
check "rs: against TOPIX by default" grep -q '対TOPIX' "$work/rs2.out"

first=$(sed -n '2s/^\([0-9/]*\),.*/\1/p' "$work/h.csv")
"$cli" report --since "$first" --csv "$work/r.csv" --root "$root" >"$work/r.out"
check "report: the market's line" grep -q '^市場 強気％ ' "$work/r.out"
check "report: new signals since the first day" grep -q '^新しいシグナル [1-9]' "$work/r.out"
check "report CSV: header" grep -q $'^\xEF\xBB\xBF日付,コード,銘柄名,変化,内容,スコア\r$' "$work/r.csv"
check "report --watch" sh -c '"$0" report --watch --root "$1" >/dev/null' "$cli" "$root"

status=0
"$cli" rs 1301 --vs nikkei --root "$root" 2>/dev/null || status=$?
check "rs --vs nikkei is wrong usage" test "$status" -eq 2
status=0
"$cli" report --since 2000/01/01 --root "$root" 2>"$work/err" || status=$?
check "report --since before the data fails" test "$status" -eq 1
status=0
mkdir -p "$work/empty"
"$cli" breadth --root "$work/empty" 2>"$work/err" || status=$?
check "breadth without market data fails" test "$status" -eq 1
check "... and says so" grep -q '市場データがありません' "$work/err"

updated_root free --free
"$cli" rs 1301 --root "$work/free" >"$work/free.out"
check "a plan without TOPIX: the ETF 1306" grep -q '対TOPIX（1306で代用）' "$work/free.out"

echo "$failures failed"
[ "$failures" -eq 0 ]
