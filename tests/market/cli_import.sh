#!/usr/bin/env bash
# dravik-cli import on a copy of the sample data: the sample makes way, a bad file fails
# with its line, and the imported stock is charted and screened.
set -euo pipefail
cli=$1
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$sample" "$work/root"

# A double top, oldest first, newest row first in the file.
printf 'Date,Close\n2024-03-08,1000\n2024-03-07,750\n2024-03-06,950\n2024-03-05,700\n2024-03-04,900\n' \
  >"$work/6501.T.csv"
printf 'Date,Close\n2024/13/01,1000\n' >"$work/9984.csv"

# The command line replaces the sample only when told so.
if "$cli" import "$work/6501.T.csv" --root "$work/root" 2>"$work/err"; then
  echo "the sample must stay without --replace-sample" >&2
  exit 1
fi
grep -q -- "--replace-sample" "$work/err"

out=$("$cli" import "$work/6501.T.csv" --name 日立 --replace-sample --root "$work/root")
grep -q '^6501.T.csv: 6501 日立 2024/03/04〜2024/03/08 の 5日分を取り込みました。$' <<<"$out"
grep -q '^見本データを取り込んだデータで置き換えました。$' <<<"$out"

if "$cli" import "$work/9984.csv" --root "$work/root" 2>"$work/err"; then
  echo "a bad file must fail" >&2
  exit 1
fi
grep -q '9984.csv 2行目: 日付ではありません: 2024/13/01' "$work/err"

"$cli" chart 6501 --root "$work/root" | grep -q '^6501日立'
"$cli" screen --root "$work/root" | grep -q $'^ダブルトップ\t6501日立$'
# One update or import at a time per data root.
printf 'Date,Close\n2024-03-08,1000\n' >"$work/7203.csv"
if flock "$work/root/dravik/update.lock" "$cli" import "$work/7203.csv" --root "$work/root" \
  2>"$work/err"; then
  echo "a second import must wait its turn" >&2
  exit 1
fi
grep -q '別の更新が実行中です' "$work/err"
echo "import, chart and screen: ok"
