#!/usr/bin/env bash
# Screenshots of the window on the sample data under Xvfb, for docs/ and the README:
#   tools/screenshots.sh [BUILD-DIR]
# docs/window-1024x700.png: the first chart fitted to the window (表示 → 全体表示, Ctrl+0);
# docs/window-1920x1080.png: after 選別, the first stock of the results list, fitted.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$(realpath "$build/dravik")
sample=$(realpath "$build/sample-data")
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool not installed (tools/install-deps.sh)"; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cat >"$scratch/session.sh" <<'SESSION'
#!/usr/bin/env bash
# Starts the program, waits for its window, fits the chart (after a screening run when
# asked) and saves the window's picture.
set -u
program=$1 root=$2 shot=$3 screening=$4
"$program" --root "$root" >"$root/program.log" 2>&1 &
pid=$!
# The main window: the largest visible window named Dravik (the splash is smaller).
window=""
for _ in $(seq 1 60); do
  sleep 0.5
  best=0
  for candidate in $(xdotool search --onlyvisible --name 'Dravik' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$candidate")"
    if ((WIDTH * HEIGHT > best)); then best=$((WIDTH * HEIGHT)) window=$candidate; fi
  done
  ((best > 500000)) && break
done
[ -n "$window" ] || { echo "screenshots: no window"; kill $pid; exit 1; }
sleep 2
xdotool windowfocus --sync "$window"
eval "$(xdotool getwindowgeometry --shell "$window")"
if [ "$screening" = yes ]; then
  # 選別 in the bottom panel, then the first code of the results list.
  xdotool mousemove --window "$window" 575 $((HEIGHT - 70 + 22)) click 1
  sleep 4
  xdotool mousemove --window "$window" 80 $((HEIGHT - 70 - 193 + 30)) click 1
  sleep 1
fi
xdotool key --window "$window" ctrl+0
sleep 1
import -window "$window" "$shot"
kill $pid
wait $pid 2>/dev/null
exit 0
SESSION
chmod +x "$scratch/session.sh"

shoot() {  # WIDTH HEIGHT SCREENING OUTPUT
  local root=$scratch/root-$1
  cp -r "$sample" "$root"
  rm -f "$root/.complete"
  xvfb-run -a -s "-screen 0 ${1}x${2}x24" "$scratch/session.sh" "$program" "$root" "$4" "$3"
  echo "screenshots: $4"
}
shoot 1024 700 no docs/window-1024x700.png
shoot 1920 1080 yes docs/window-1920x1080.png
