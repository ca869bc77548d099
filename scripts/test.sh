#!/usr/bin/env bash
# Installs what is needed, builds and runs every test. CI runs exactly this.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# The ci presets make warnings errors, which a user's own build (linux, windows) does not.
cmake --workflow --preset ci
# The Windows build, cross-compiled, with its tests under wine.
cmake --workflow --preset ci-windows
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz
# target for half a minute.
cmake --workflow --preset asan
scripts/fuzz.sh 30
