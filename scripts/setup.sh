#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: apt runs only
# when at least one package is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools
  nlohmann-json3-dev libfmt-dev
  googletest libgtest-dev libgmock-dev
  libzip-dev libssl-dev zlib1g-dev libdeflate-dev libxcb1-dev
  # Screencast frames are decoded with libjpeg-turbo.
  libjpeg62-turbo-dev
  # The resource benchmark's plain HTTP server, and the fonts of its launcher page.
  libcpp-httplib-dev fonts-dejavu-core
  # Windowed mode (Xlib, X-Resource), and the X11 tests (XTest, XFixes, xclip).
  libx11-dev libxres-dev libxtst-dev libxfixes-dev xclip
  # The view benchmark reads what Chromium presents through XDamage.
  libxdamage-dev
  chromium
  python3
  xvfb xauth openbox
  # The fuzz build (scripts/fuzz.sh): clang with libFuzzer and the sanitizers.
  clang-14 libclang-rt-14-dev
)

# npm brings TypeScript (tools/node_modules) for the demo's page check; from
# Debian only where Node.js is not installed already.
if ! command -v npm >/dev/null; then PACKAGES+=(nodejs npm); fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
else
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# TypeScript at the version tools/package.json pins; npm runs only when
# it is not installed yet.
TOOLS="$(dirname "$0")/../tools"
if [ "$("$TOOLS/node_modules/.bin/tsc" --version 2>/dev/null)" != "Version $(sed -n 's/.*"typescript": "\(.*\)".*/\1/p' "$TOOLS/package.json")" ]; then
  echo "setup: installing TypeScript into tools/node_modules"
  npm ci --prefix "$TOOLS" --no-audit --no-fund --loglevel=error
fi
