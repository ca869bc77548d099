#!/usr/bin/env bash
# Installs what is needed, builds, and starts TesselCustom on the sample board list.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset linux
cmake --build --preset linux
exec build/linux/bin/TesselCustom "$@"
