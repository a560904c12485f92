#!/usr/bin/env bash
# Starts the real program under Xvfb as a new user (so the sample data is copied into
# the per-user data folder on this first start), waits until the main window shows the
# first chart and saves a screenshot of the screen.
#   smoke.sh PROGRAM [SCREENSHOT.png]
# Exit 77 (skipped) when Xvfb or ImageMagick is not installed.
set -euo pipefail
program=$(realpath "$1")
shot=$(realpath -m "${2:-smoke.png}")
for tool in xvfb-run import convert; do
  command -v "$tool" >/dev/null || { echo "smoke: $tool not installed, skipped"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch XDG_DATA_HOME=$scratch/data

cat >"$scratch/session.sh" <<'SESSION'
#!/usr/bin/env bash
# The main window lies at 117,13 and its chart grid fills it above the 70-pixel bottom
# panel: wait until that area shows the chart background with marks on it.
set -u
program=$1 shot=$2 scratch=$3
"$program" >"$scratch/program.log" 2>&1 &
pid=$!
status=1
for _ in $(seq 1 60); do
  sleep 0.5
  if ! kill -0 "$pid" 2>/dev/null; then echo "smoke: the program ended early"; break; fi
  import -window root "$shot" 2>/dev/null || continue
  background=$(convert "$shot" -crop 780x540+180+40 +repage -fill black +opaque "rgb(249,250,231)" \
    -fill white -opaque "rgb(249,250,231)" -format "%[fx:mean]" info:)
  marks=$(convert "$shot" -crop 780x540+180+40 +repage -colorspace gray -threshold 35% -negate \
    -format "%[fx:mean]" info:)
  if awk -v b="$background" -v m="$marks" 'BEGIN { exit !(b > 0.5 && m > 0.002) }'; then
    sleep 1
    import -window root "$shot"
    status=0
    break
  fi
done
[ $status -eq 0 ] || echo "smoke: no chart on the screen (an error box at start-up?); see $shot"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
cat "$scratch/program.log"
exit $status
SESSION
chmod +x "$scratch/session.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$scratch/session.sh" "$program" "$shot" "$scratch"

# The first start copied the sample data into the user's data folder.
for file in dravik/memo.csv quendal/zenncode.txt; do
  test -f "$XDG_DATA_HOME/dravik/$file" || { echo "smoke: sample data not copied ($file)"; exit 1; }
done
echo "smoke: screenshot $shot"
