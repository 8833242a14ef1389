#!/usr/bin/env bash
# Sets up the machine, builds, and runs the demo launcher on the user's
# display. Without a display ($DISPLAY empty) it runs under a virtual X server
# and writes a picture of the launcher's window instead. Extra arguments go to
# the launcher (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
BUILD_DIR="${VELL_BUILD_DIR:-build}"
LAUNCHER="$BUILD_DIR/examples/launcher/vell_demo_launcher"
if [ -n "${DISPLAY:-}" ]; then
  exec "$LAUNCHER" "$@"
fi
PICTURE="$PWD/$BUILD_DIR/demo/launcher.png"
echo "demo: no display; running the launcher under xvfb-run"
xvfb-run -a -s "-screen 0 1600x1000x24" "$LAUNCHER" --screenshot "$PICTURE" "$@"
echo "demo: the launcher's window is pictured in $PICTURE"
