#!/usr/bin/env bash
# Builds the fuzz targets with clang-14 (libFuzzer, ASan, UBSan) into
# build-fuzz/ (or $VELL_FUZZ_BUILD_DIR) and runs each for [seconds] (60 by
# default), starting from its seed corpus in tests/fuzz/corpus/<target>/.
# New inputs go to build-fuzz/corpus/<target>/; a crash stops the script,
# its input saved as build-fuzz/crash-<target>-*.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
BUILD_DIR="${VELL_FUZZ_BUILD_DIR:-build-fuzz}"
TARGETS=(fuzz_action_models fuzz_process_message fuzz_zip_archive fuzz_stream_request fuzz_cef_string fuzz_devtools_messages)
if [ -n "${VELL_FUZZ_TARGETS:-}" ]; then read -r -a TARGETS <<<"$VELL_FUZZ_TARGETS"; fi

# Line tables are enough for the sanitizers' reports and build much faster.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_CXX_COMPILER=clang++-14 -DVELL_FUZZ=ON -DVELL_BUILD_TESTS=OFF -DVELL_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR" --parallel --target "${TARGETS[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
for target in "${TARGETS[@]}"; do
  corpus="$BUILD_DIR/corpus/$target"
  mkdir -p "$corpus"
  echo "fuzz: $target for ${SECONDS_EACH} s"
  "$BUILD_DIR/tests/fuzz/$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$BUILD_DIR/crash-$target-" "$corpus" "tests/fuzz/corpus/$target"
done
