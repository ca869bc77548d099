#!/usr/bin/env bash
# Installs what is needed, builds and runs every test. CI runs exactly this.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --workflow --preset linux
# The Windows build, cross-compiled, with its tests under wine.
cmake --workflow --preset windows
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz
# target for half a minute.
cmake --workflow --preset asan
scripts/fuzz.sh 30
