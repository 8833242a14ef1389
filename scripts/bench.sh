#!/usr/bin/env bash
# Sets up the machine, builds (optimised) and runs every benchmark; prints one
# table (measure, this project, the limit or peer measured in the same run,
# ratio, goal) and writes the figures to build/bench/results.json.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo
BUILD_DIR="$(realpath "${VELL_BUILD_DIR:-build}")"
export VELL_BENCH_OUT="$BUILD_DIR/bench/parts"
export QT_QPA_PLATFORM=offscreen
rm -rf "$VELL_BENCH_OUT"
mkdir -p "$VELL_BENCH_OUT"
cd "$BUILD_DIR"  # the framework's benchmarks find the SDK beside the build

# Runs one benchmark (the first argument under bench/, maybe behind a
# wrapper), its own output kept in a log beside the figures.
run() {
  local name mode arg
  for arg in "$@"; do
    case "$arg" in bench/*) name="$(basename "$arg")"; break ;; esac
  done
  mode="${VELL_BENCH_SINGLE_PROCESS:+-single-process}"
  echo "running $name$mode" >&2
  if ! timeout 900 "$@" >"$VELL_BENCH_OUT/$name$mode.log" 2>&1; then
    echo "$name$mode failed; see $VELL_BENCH_OUT/$name$mode.log" >&2
  fi
}

run bench/vell_native_call_bench
VELL_BENCH_SINGLE_PROCESS=1 run bench/vell_native_call_bench
run bench/vell_sdk_call_bench
VELL_BENCH_SINGLE_PROCESS=1 run bench/vell_sdk_call_bench
run bench/vell_resource_bench
run bench/vell_pool_bench
run bench/vell_page_switch_bench
run bench/vell_runtime_bench
# Both view modes on one X server of its own, large enough for a 1920x1080
# window with its frame (the benchmark starts openbox on it).
run xvfb-run -a -s "-screen 0 2048x1200x24" \
  env QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none bench/vell_view_bench

echo
awk -F'\t' 'BEGIN { printf "%-62s %-18s %-26s %6s  %s\n", "measure", "this project", "limit or peer (same run)", "ratio", "goal" }
            { printf "%-62s %-18s %-26s %6s  %s\n", $1, $2, $3, $4, $5 }' "$VELL_BENCH_OUT/rows.tsv"
{
  echo "{"
  first=1
  for part in "$VELL_BENCH_OUT"/*.json; do
    [ "$first" = 1 ] || echo ","
    first=0
    cat "$part"
  done
  echo
  echo "}"
} >"$BUILD_DIR/bench/results.json"
echo
echo "figures written to $BUILD_DIR/bench/results.json"
