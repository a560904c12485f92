#!/usr/bin/env bash
# Fuzzes by hand (the test command does not): builds the libFuzzer targets of tests/fuzz
# with clang, address and undefined-behaviour checks in build-fuzz/, and runs one or all.
#
#   tools/fuzz.sh list                  the targets
#   tools/fuzz.sh TARGET [RUNS] [ARGS]  run TARGET for RUNS inputs (default 1000000)
#   tools/fuzz.sh all [RUNS]            run every target in turn
#
# TARGET is NAME of tests/fuzz/fuzz_NAME.cpp; a new file there is a new target. Every run
# is also bounded in time by FUZZ_SECONDS (default 7200) per job; FUZZ_JOBS=N shares the
# runs out among N processes (for targets that mostly wait, like http_reply). Seeds come from
# tests/fuzz/corpus/NAME/ (never written); inputs the fuzzer finds are kept in
# build-fuzz/corpus/NAME/, failing ones in build-fuzz/failures/ (replay one with
# build-fuzz/tests/fuzz/fuzz_NAME FILE). ARGS go to libFuzzer, e.g. -max_len=65536.
set -euo pipefail
cd "$(dirname "$0")/.."

targets() { ls tests/fuzz/fuzz_*.cpp | sed 's|.*/fuzz_||; s|\.cpp$||'; }

usage() {
  sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

(($# >= 1)) || usage
what=$1
shift
if [[ $what == list ]]; then
  targets
  exit 0
fi
runs=${1:-1000000}
[[ $runs =~ ^[0-9]+$ ]] || usage
(($# >= 1)) && shift
if [[ $what == all ]]; then
  for target in $(targets); do "$0" "$target" "$runs" "$@"; done
  exit 0
fi
targets | grep -qx -- "$what" || {
  echo "fuzz.sh: no target '$what' (tools/fuzz.sh list)" >&2
  exit 2
}

# clang with libFuzzer and the sanitizer runtimes.
missing=()
for p in clang libclang-rt-dev; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DDRAVIK_FUZZ=ON -DDRAVIK_WINDOW=OFF -DDRAVIK_BENCH=OFF \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target "fuzz_$what"

root=$PWD
jobs=${FUZZ_JOBS:-1}
seconds=${FUZZ_SECONDS:-7200}
corpus=$root/build-fuzz/corpus/$what
logs=$root/build-fuzz/logs/$what
mkdir -p "$corpus" "$logs" "$root/build-fuzz/failures"
rm -f "$logs"/fuzz-*.log
options=(-runs=$(((runs + jobs - 1) / jobs)) -max_total_time="$seconds" -print_final_stats=1
  -artifact_prefix="$root/build-fuzz/failures/$what-")
((jobs > 1)) && options+=(-jobs="$jobs" -workers="$jobs")
[[ -f tests/fuzz/$what.dict ]] && options+=(-dict="$root/tests/fuzz/$what.dict")
seeds=()
[[ -d tests/fuzz/corpus/$what ]] && seeds=("$root/tests/fuzz/corpus/$what")
echo "fuzzing $what: $runs inputs in $jobs job(s), $seconds s at most per job"
cd "$logs"  # parallel jobs write their fuzz-N.log here
status=0
"$root/build-fuzz/tests/fuzz/fuzz_$what" "${options[@]}" "$@" "$corpus" "${seeds[@]}" || status=$?
if ((jobs > 1)); then
  grep -h -E '^Done|^stat::number_of_executed_units|ERROR|SUMMARY' fuzz-*.log || true
fi
exit $status
