#!/usr/bin/env bash
# Regenerates docs/demo-launcher.png, the README's picture of the demo
# launcher: its first start on an empty config folder, under a virtual X
# server. Builds the launcher first (into build/, or $VELL_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${VELL_BUILD_DIR:-build}"
cmake --build "$BUILD_DIR" --target vell_demo_launcher
CONFIG="$(mktemp -d)"
trap 'rm -rf "$CONFIG"' EXIT
mkdir -p docs
xvfb-run -a -s "-screen 0 1600x1000x24" "$BUILD_DIR/examples/launcher/vell_demo_launcher" \
  --config "$CONFIG" --screenshot "$PWD/docs/demo-launcher.png"
echo "demo-picture: docs/demo-launcher.png regenerated"
