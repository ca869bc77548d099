#!/usr/bin/env bash
# Installs what is needed, builds the window alone (the suites are scripts/test.sh's business) and
# starts it on the sample board list; arguments go to TesselCustom. The sample list and ReadMe.txt
# are copied beside the executable when the build is configured.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
echo "building TesselCustom (first time: about 2 minutes)..."
cmake --preset linux >/dev/null
cmake --build --preset linux --target TesselCustom
exec build/linux/bin/TesselCustom "$@"
