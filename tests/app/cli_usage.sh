#!/usr/bin/env bash
# The command lines as a user meets them: which stream the usage goes to, the exit
# statuses (0 done, 1 failed, 2 wrong usage), --help and --version of both programs, the
# window program without a display.
#   cli_usage.sh DRAVIK-CLI SAMPLE-ROOT VERSION [DRAVIK]
set -uo pipefail
cli=$1 sample=$2 version=$3 window=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 passed=0

# check NAME STATUS STDOUT-PATTERN STDERR-PATTERN -- COMMAND...
# A pattern "-" wants the stream empty; others are extended regular expressions.
check() {
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  "$@" >"$work/out" 2>"$work/err"
  local got=$? problem=""
  [ "$got" -eq "$status" ] || problem="exit status $got, not $status"
  for stream in out err; do
    local pattern=$out
    [ $stream = err ] && pattern=$err
    if [ "$pattern" = - ]; then
      [ -s "$work/$stream" ] && problem+=" std$stream not empty"
    elif ! grep -Eq -- "$pattern" "$work/$stream"; then
      problem+=" std$stream lacks /$pattern/"
    fi
  done
  if [ -n "$problem" ]; then
    echo "FAIL $name:$problem"
    sed 's/^/  out: /' "$work/out" | head -5
    sed 's/^/  err: /' "$work/err" | head -5
    failures=$((failures + 1))
  else
    passed=$((passed + 1))
  fi
}

first_line="^dravik-cli ${version//./\\.}\$"
check "--help" 0 '^usage: dravik-cli chart CODE' - -- "$cli" --help
check "-h" 0 '^usage: dravik-cli chart CODE' - -- "$cli" -h
check "--version" 0 "$first_line" - -- "$cli" --version
check "help" 0 '^usage: dravik-cli chart CODE' - -- "$cli" help
check "help chart" 0 '^  --trendlines ' - -- "$cli" help chart
check "chart --help" 0 '^usage: dravik-cli chart CODE' - -- "$cli" chart --help
check "import -h" 0 '^usage: dravik-cli import FILE' - -- "$cli" import -h
check "no words" 2 - '^usage: dravik-cli' -- "$cli"
check "unknown command" 2 - 'unknown command chrat \(did you mean chart\?\)' -- "$cli" chrat
check "unknown option" 2 - '^dravik-cli: chart: unknown option --textbok' -- \
  "$cli" chart 6154 --textbok --root "$sample"
check "usage after the message" 2 - '^usage: dravik-cli chart CODE' -- \
  "$cli" chart 6154 --textbok --root "$sample"
check "missing value" 2 - 'option --days needs a value' -- "$cli" screen --days
check "missing operand" 2 - 'CODE missing' -- "$cli" chart --root "$sample"
check "extra operand" 2 - 'unexpected argument 7203' -- "$cli" chart 6154 7203 --root "$sample"
check "update days out of range" 2 - '^usage: dravik-cli update' -- "$cli" update --days 401 --root "$work/none"
check "import --code with two files" 2 - 'single file' -- "$cli" import a.csv b.csv --code 7203
check "chart" 0 '^6154' - -- "$cli" chart 6154 --days=60 --root "$sample"
check "chart of an unknown code" 1 - . -- "$cli" chart 0001 --root "$sample"
check "reversal out of range" 2 - '--reversal takes a number of boxes from 1 to 5' -- \
  "$cli" chart 6154 --reversal 6 --root "$sample"
check "textbook chart" 0 '^6154' - -- \
  "$cli" chart 6154 --textbook --reversal 2 --fixed-scale --root "$sample"
check "highs and lows the sample lacks" 0 '^6154' '高値・安値のデータがないため' -- \
  "$cli" chart 6154 --high-low --root "$sample"
check "textbook screening" 0 '^強気％' - -- "$cli" screen --textbook --reversal 1 --root "$sample"
check "import of a missing file" 1 . 'nothing\.csv' -- "$cli" import "$work/nothing.csv" --root "$work/empty"
if [ -w /dev/full ]; then
  check "output that cannot be written" 1 - 'could not be written' -- \
    sh -c '"$0" chart 6154 --root "$1" >/dev/full' "$cli" "$sample"
fi

if [ -n "$window" ]; then
  nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
  check "dravik --help" 0 '^usage: dravik \[--root DIR\]' - -- "${nodisplay[@]}" "$window" --help
  check "dravik --version" 0 "^dravik ${version//./\\.}\$" - -- "${nodisplay[@]}" "$window" --version
  check "dravik unknown option" 2 - '^dravik: unknown option --textbok' -- \
    "${nodisplay[@]}" "$window" --textbok
  check "dravik without a display" 1 - 'dravik-cli chart CODE' -- \
    "${nodisplay[@]}" "$window" --root "$sample"
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
