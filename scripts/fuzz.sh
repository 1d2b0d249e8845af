#!/usr/bin/env bash
# Builds the libFuzzer targets (in build-asan/, the tree the sanitizer suite
# uses) and runs each for the given seconds (default 60): the STL reader, the
# sample host's G-code reader, the RS274NGC interpreter, machine definitions,
# the mesh cache's files, the interface's texts, the saved state file, DXF
# drawings, the simulation file and the record-taking exports on a headless
# view (on a virtual display with Mesa's software OpenGL). Seeds come from
# the test data; what a run finds is kept in build-asan/findings and fails
# the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
export LIBGL_ALWAYS_SOFTWARE=1
./scripts/asan-build.sh fuzz_stl_reader fuzz_gcode_reader fuzz_gcode_interpreter fuzz_record_exports fuzz_machine_definition \
  fuzz_mesh_cache fuzz_interface_text fuzz_setup_file fuzz_dxf_drawing fuzz_simulation_file

corpus=build-asan/corpus
mkdir -p "$corpus"/stl "$corpus"/gcode "$corpus"/exports "$corpus"/machine "$corpus"/cache "$corpus"/text \
  "$corpus"/setup "$corpus"/dxf "$corpus"/simulation \
  build-asan/findings
cp -n tests/data/*.nc tests/data/gcode/*.ngc "$corpus"/gcode/ 2>/dev/null || true
find tests -name '*.stl' -exec cp -n {} "$corpus"/stl/ \; 2>/dev/null || true
printf 'solid s\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid s\n' \
  >"$corpus"/stl/triangle.stl
head -c 4096 /dev/urandom >"$corpus"/exports/random
# Interface texts: a settings byte, then UTF-16 (German and Japanese
# entries of the built-in tables).
for language in de ja; do
  # (head reads the file itself: cut stopped early would fail the pipe.)
  { printf '\x05'; head -n 40 ui/strings/$language.txt | cut -f2 | iconv -f UTF-8 -t UTF-16LE; } >"$corpus"/text/$language
done
# Sample machines with a leading flags byte: current layout, legacy layout.
for m in machines/*/machine.json; do
  name=$(basename "$(dirname "$m")")
  { if [[ $name == *legacy* ]]; then printf '\x01'; else printf '\x00'; fi; cat "$m"; } >"$corpus"/machine/"$name"
done
# A whole cache entry: sizes in 8-byte units, a convex file of one vertex
# and its run, a mesh file of two vertices and a triangle, a timestamp.
python3 -c 'import struct, sys; sys.stdout.buffer.write(bytes([3, 5]) + struct.pack("<I3f2I", 1, 1, 2, 3, 0, 1)
  + struct.pack("<I6f3I", 2, 0, 0, 0, 1, 0, 0, 0, 1, 1) + struct.pack("<q", 0))' >"$corpus"/cache/entry

# A saved state's body (the target seals it): format 1, two answers, the
# four bytes.
python3 -c 'import struct, sys; sys.stdout.buffer.write(struct.pack("<I", 1) + struct.pack("<IQ", 0, 14)
  + struct.pack("<IIBIB", 2, 2, 1, 56, 0) + struct.pack("<IQ", 1, 4) + bytes([1, 3, 0, 1]))' >"$corpus"/setup/state

# A drawing of a line, an arc and a closed polyline with a bulge.
printf '0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n5\n0\nARC\n8\n0\n10\n5\n20\n5\n40\n3\n50\n0\n51\n90\n0\nLWPOLYLINE\n8\n0\n90\n2\n70\n1\n10\n0\n20\n0\n42\n0.5\n10\n4\n20\n0\n0\nENDSEC\n0\nEOF\n' \
  >"$corpus"/dxf/drawing.dxf

# A simulation file's body (the target seals it): format 14, the document
# section, a toolpath of two moves with feeds and an event name, a tool
# table of one tool with one part of two points.
python3 -c 'import struct, sys
def section(tag, payload): return struct.pack("<IQ", tag, len(payload)) + payload
toolpath = section(1, bytes(208)) + section(4, struct.pack("<2d", 800, 900)) + section(18, bytes(80)) \
  + section(19, b"\x01" + struct.pack("<I", 2) + b"M1")
tool = bytearray(400); tool[56] = 1
part = bytearray(104); part[96] = 2
table = section(0, struct.pack("<d", 1.0)) + section(1, bytes(tool)) + section(2, bytes(part)) + section(3, bytes(40))
sys.stdout.buffer.write(struct.pack("<I", 14) + section(0, struct.pack("<I", 0)) + section(1, toolpath)
  + section(2, table) + section(7, section(27, struct.pack("<d", 0.5))))' >"$corpus"/simulation/job

run() {
  local target="$1" dir="$2"
  shift 2
  echo "== $target, $seconds s"
  "$@" build-asan/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=6144 \
    -timeout=60 -artifact_prefix=build-asan/findings/"$target"- "$corpus/$dir"
}
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_stl_reader stl
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_gcode_reader gcode
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_gcode_interpreter gcode
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_machine_definition machine
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_mesh_cache cache
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_interface_text text
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_setup_file setup
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_dxf_drawing dxf
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run fuzz_simulation_file simulation
# The driver is preloaded for the reason scripts/sanitize.sh gives; its
# leaks at exit are the driver's.
LD_PRELOAD=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so \
ASAN_OPTIONS="detect_leaks=0:verify_asan_link_order=0" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  run fuzz_record_exports exports xvfb-run -a -s "-screen 0 1024x768x24 -noreset"
