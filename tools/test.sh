#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (unit, web, ui and package labels).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/deps.sh"
bash "$root/tools/build.sh"

# The web engine's sandbox refuses to run as root; web and ui tests need a display.
export QTWEBENGINE_DISABLE_SANDBOX=1
cd "$root/build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 600 "$@"
