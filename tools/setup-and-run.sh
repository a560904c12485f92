#!/usr/bin/env bash
# Installs what Dravik needs, builds it with its generated sample data and starts it.
# Without a display (no DISPLAY or WAYLAND_DISPLAY, as on a server over ssh) it prints a
# sample stock's chart in the terminal instead and says how to start the window.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
if [ -x build/dravik ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/dravik --root build/sample-data "$@"
fi
# The stock the sample's settings chart first.
code=$(sed -n '10p' build/sample-data/dravik/memo.csv | cut -d, -f2 | tr -d '\r')
if [ ! -x build/dravik ]; then
  exec build/dravik-cli chart "${code:-6752}" --root build/sample-data "$@"
fi
build/dravik-cli chart "${code:-6752}" --root build/sample-data
cat <<TEXT

This is the chart of the sample stock ${code:-6752} as text: there is no display here
(neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.
To see the window, start it from a desktop session, or over ssh -X:

    build/dravik --root build/sample-data

In the terminal, build/dravik-cli charts and screens (build/dravik-cli --help), and
    build/dravik-cli chart ${code:-6752} --root build/sample-data --png chart.png
saves the decorated chart as a picture.
TEXT
