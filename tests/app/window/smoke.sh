#!/usr/bin/env bash
# Starts the real program under Xvfb as a new user (so the sample data is copied into
# the per-user data folder on this first start), waits for the main window with its
# first chart and saves a screenshot of the screen.
#   smoke.sh PROGRAM [SCREENSHOT.png]
# Exit 77 (skipped) when Xvfb or ImageMagick is not installed.
set -euo pipefail
program=$(realpath "$1")
shot=$(realpath -m "${2:-smoke.png}")
for tool in xvfb-run xwininfo import; do
  command -v "$tool" >/dev/null || { echo "smoke: $tool not installed, skipped"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch XDG_DATA_HOME=$scratch/data

cat >"$scratch/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
program=$1 shot=$2 scratch=$3
"$program" >"$scratch/program.log" 2>&1 &
pid=$!
# Shown windows of the program with the given title.
shown() {
  xwininfo -root -tree 2>/dev/null | grep -E "^ +0x[0-9a-f]+ \"$1\": \(\"dravik\"" | awk '{print $1}' |
    while read -r id; do xwininfo -id "$id" | grep -q IsViewable && echo "$id"; done
}
status=1
for _ in $(seq 1 150); do
  if ! kill -0 "$pid" 2>/dev/null; then echo "smoke: the program ended early"; break; fi
  # An error box is titled "dravik"; the main window "Dravik".
  if [ -n "$(shown dravik)" ]; then
    sleep 0.5
    import -window root "$shot"
    echo "smoke: an error box was shown at start-up"
    break
  fi
  if [ -n "$(shown Dravik)" ]; then
    sleep 1.5  # the first paint
    import -window root "$shot"
    if [ -n "$(shown dravik)" ]; then echo "smoke: a message box is open"; else status=0; fi
    break
  fi
  sleep 0.2
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
cat "$scratch/program.log"
exit $status
SESSION
chmod +x "$scratch/session.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$scratch/session.sh" "$program" "$shot" "$scratch"

# The first start copied the sample data into the user's data folder.
test -f "$XDG_DATA_HOME/dravik/dravik/memo.csv" || { echo "smoke: sample data not copied"; exit 1; }
test -f "$XDG_DATA_HOME/dravik/quendal/zenncode.txt" || { echo "smoke: sample data not copied"; exit 1; }
# A drawn chart fills the screen with its background colour and the marks.
background=$(convert "$shot" -fill black +opaque "rgb(249,250,231)" -fill white -opaque "rgb(249,250,231)" \
  -format "%[fx:mean]" info:)
awk -v share="$background" 'BEGIN { exit !(share > 0.3) }' || {
  echo "smoke: no chart on the screen (background share $background)"; exit 1; }
echo "smoke: screenshot $shot"
