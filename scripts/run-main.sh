#!/usr/bin/env bash
# Builds everything and runs the sample host's main job. Without a display it
# runs on a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
# The main job leaves build/main-job/main-job.stl and main-job.png.
if [[ -n "${DISPLAY:-}" ]]; then
  build/host/korvane-view --out build/main-job "$@"
else
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" build/host/korvane-view --out build/main-job "$@"
fi
