#!/usr/bin/env bash
# Ctrl-C during a long command ends it cleanly with exit status 130: an update waiting on
# the exchange's request limit (the emulator's), and an import between its files.
#   cli_interrupt.sh DRAVIK-CLI JQUANTS-EMULATOR SAMPLE-ROOT
set -euo pipefail
set -m  # background commands get Ctrl-C as a terminal's foreground ones do
cli=$1 emulator=$2 sample=$3
work=$(mktemp -d)
emulator_pid="" pid=""
cleanup() {
  for p in $pid $emulator_pid; do
    kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {  # wait_for FILE PATTERN: up to 30 s
  for _ in $(seq 1 300); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "timed out waiting for /$2/ in $1" >&2
  cat "$1" >&2
  return 1
}

# The update: one request a minute, so it waits after the first.
# Its certificate goes under $work (the temporary folder), which goes at the end.
TMPDIR=$work "$emulator" --issues 20 --years 1 >"$work/emulator.out" 2>&1 &
emulator_pid=$!
wait_for "$work/emulator.out" '^key '
base=$(sed -n 's/^base //p' "$work/emulator.out")
cert=$(sed -n 's/^certificate //p' "$work/emulator.out")
key=$(sed -n 's/^key //p' "$work/emulator.out")
cp -r "$sample" "$work/root"
printf 'jquants,%s\r\njquants-rate,1\r\n' "$base" >>"$work/root/dravik/services.csv"
JQUANTS_API_KEY=$key SSL_CERT_FILE=$cert "$cli" update --days 5 --root "$work/root" \
  >"$work/update.out" 2>"$work/update.err" &
pid=$!
wait_for "$work/emulator.out" '^200 '
sleep 0.5
kill -INT "$pid"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 130 ] || { echo "update: exit status $status, not 130" >&2; cat "$work/update.err" >&2; exit 1; }
grep -q '更新を中止しました' "$work/update.err"
echo "update interrupted: ok"

# The import: the first file is a pipe that stays open until after Ctrl-C.
mkfifo "$work/7203.csv"
printf 'Date,Close\n2024-03-05,2520\n2024-03-04,2500\n' >"$work/6501.csv"
"$cli" import "$work/7203.csv" "$work/6501.csv" --root "$work/import" \
  >"$work/import.out" 2>"$work/import.err" &
pid=$!
exec 3>"$work/7203.csv"  # opens when the import opens the pipe for reading
sleep 0.5
kill -INT "$pid"
sleep 0.2
printf 'Date,Close\n2024-03-05,1000\n2024-03-04,990\n' >&3
exec 3>&-
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 130 ] || { echo "import: exit status $status, not 130" >&2; cat "$work/import.err" "$work/import.out" >&2; exit 1; }
grep -q '取り込みを途中で止めました' "$work/import.out"
grep -q '7203' "$work/import.out"
if grep -q '6501' "$work/import.out"; then echo "import went on after Ctrl-C" >&2; exit 1; fi
echo "import interrupted: ok"
