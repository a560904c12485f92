#!/usr/bin/env bash
# Installs what Dravik needs, builds it with its generated sample data and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
if [ -x build/dravik ]; then
  exec build/dravik --root build/sample-data "$@"
fi
code=$(sed -n '10p' build/sample-data/dravik/memo.csv | cut -d, -f2)
exec build/dravik-cli chart "${code:-6752}" --root build/sample-data "$@"
