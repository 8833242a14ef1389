#!/usr/bin/env bash
# Sets up the machine, builds, and runs the demo launcher. The demo launcher
# does not exist yet: until it does, this runs the quick smoke tests.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
BUILD_DIR="${VELL_BUILD_DIR:-build}"
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel "$(nproc)" --timeout 120 -L unit
