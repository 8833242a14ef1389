#!/usr/bin/env bash
# Configures and builds the project into build/ (or $VELL_BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DVELL_SANITIZE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${VELL_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja "$@"
cmake --build "$BUILD_DIR" --parallel
