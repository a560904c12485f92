#!/usr/bin/env bash
# Runs every test: the normal build and its Debian package, the address/undefined
# sanitizer build, a Release build of the engine and the command line, and the formatting
# check. Warnings are errors here.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# Every include runs down the floors; market/ is reached through its one header.
tools/check-layers.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_WERROR=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
# The Debian package of that build, checked and run from a scratch root.
cmake --build build --target package -j "$jobs"
tests/packaging/check_package.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDRAVIK_SANITIZE=ON \
  -DDRAVIK_WINDOW=OFF -DDRAVIK_BENCH=OFF -DDRAVIK_WERROR=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs")

# The build users and packagers make (-O3 warns differently): the engine, the command
# line and the tools, checked on the sample data.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVIK_WINDOW=OFF \
  -DDRAVIK_BENCH=OFF -DDRAVIK_WERROR=ON
cmake --build build-release -j "$jobs" --target dravik-cli dravik-gen-sample \
  dravik-quote-emulator sample_data
(cd build-release && ctest --output-on-failure -R '^cli_')

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "formatting: clean"
