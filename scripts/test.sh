#!/usr/bin/env bash
# Installs what is needed, builds and runs every test. CI runs exactly this.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --workflow --preset ci  # warnings are errors here, not in a user's own build
