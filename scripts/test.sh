#!/usr/bin/env bash
# Installs what is needed, builds and runs every test. CI runs exactly this.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --workflow --preset linux
# The Windows build, cross-compiled, with its tests under wine.
cmake --workflow --preset windows
