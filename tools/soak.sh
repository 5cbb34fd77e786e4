#!/usr/bin/env bash
# Soak check, by hand (not in CI): builds the soak program and the default show,
# then renders the show for 200,000 frames and reloads it 500 times in one
# process, printing the resident memory as it goes. It must stay flat.
#   tools/soak.sh [BUILD_DIR] [FRAMES [RELOADS]]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
shift || true
cmake --build "$build" --target velmora_soak demo_show
cd "$build/show"
exec ../velmora_soak "$@"
