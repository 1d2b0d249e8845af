#!/usr/bin/env bash
# Builds everything and runs the benchmarks, printing their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
runner=()
[[ -n "${DISPLAY:-}" ]] || runner=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")
build/bench/toolpath_load_bench
build/bench/stl_parse_bench
build/bench/dxf_parse_bench
build/bench/machine_bench
"${runner[@]}" build/bench/view_lifecycle_bench
[[ ! -x build/bench/tool_table_bench ]] || build/bench/tool_table_bench
[[ ! -x build/bench/stock_creation_bench ]] || "${runner[@]}" build/bench/stock_creation_bench
[[ ! -x build/bench/mill_cut_bench ]] || "${runner[@]}" build/bench/mill_cut_bench
[[ ! -x build/bench/turning_cut_bench ]] || "${runner[@]}" build/bench/turning_cut_bench
[[ ! -x build/bench/design_field_bench ]] || "${runner[@]}" build/bench/design_field_bench
[[ ! -x build/bench/surface_extraction_bench ]] || "${runner[@]}" build/bench/surface_extraction_bench
[[ ! -x build/bench/playback_bench ]] || "${runner[@]}" build/bench/playback_bench
[[ ! -x build/bench/toolpath_draw_bench ]] || "${runner[@]}" build/bench/toolpath_draw_bench
[[ ! -x build/bench/whole_job_bench ]] || "${runner[@]}" build/bench/whole_job_bench
