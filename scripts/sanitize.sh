#!/usr/bin/env bash
# The test suite built with sanitizers, on a virtual display with Mesa's
# software OpenGL: everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (the tree scripts/asan-build.sh makes, which
# the fuzz targets share), and the view, playback and lifecycle tests with
# ThreadSanitizer. What is let pass is the GL driver's alone, each
# with its reason (here and in tests/sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
source scripts/generator.sh
export LIBGL_ALWAYS_SOFTWARE=1
display=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")
jobs="$(nproc)"
supp="$PWD/tests/sanitizers"
# Line tables only, as in the AddressSanitizer tree.
lines=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: the whole suite"
./scripts/asan-build.sh
# The window system unloads the GL driver when it ends, and LeakSanitizer
# then finds the driver's process-lifetime allocations unreachable, from a
# module it cannot name. Preloaded, the driver stays, and with it what it
# still points to.
driver=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
# Left out: the installed-package and layer checks build other projects
# against the library and say nothing about its memory; the two random-move
# cut comparisons spend their minutes in the test's own CPU sweep reference,
# while every library path they take runs in the other cut tests; the
# host's kept-open window, its compare round trip, its bear run, its deep
# plunge, colliding, lathe and played-or-at-once runs, the whole-model
# picking run and the orientation cube's ray sweep spend theirs drawing
# and cutting frames whose library paths the view and cut tests already
# take; so do the longest pointer-driven navigation and box-selection runs,
# whose path from X events through gestures to the camera the other tests
# of their suites take. The plain run keeps them all.
LD_PRELOAD="$driver" \
ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "${display[@]}" ctest --test-dir build-asan --output-on-failure -j"$jobs" \
  -E 'InstalledPackageIsFound|LayersRefuseUpwardIncludes|MillCutTest.MillShapesOnRandomMoves|MillCutTest.RingExtrudedAndPolygonSidedToolsOnRandomMoves|HostRun.InteractiveKeepsTheWindowUntilTheUserClosesIt|HostRun.ARunsSolidAsTheDesignOfACoarserRunComparesWithinOneCell|HostRun.ARealProgramLeavesAClosedStlAndAPicture|Orientation.TheCubeLightsTheElementTheRayTestFinds|HostRun.ADeepPlungeGivesTheRightSolidOrSaysTheCellsAreTooCoarse|HostRun.TheCollidingSampleJobsReportWhatTheyHit|HostRun.PlayedOrCutAtOnceTheSameSolidByteForByte|HostRun.ALatheProgramTurnsWithTheTablesOnlyTool|PickingTest.AModelInRunsGivesTheIdsOfTheWholeModel|NavigationByX.RightDragPansRightClickOpensTheMenuMiddleFits|NavigationByX.BindingsChangeWhatTheWheelAndACtrlGestureDo|BoxSelectionView.ABoxSelectsTheMoveEndsInsideFramesThemAndAnEmptyBoxClears'

echo "== ThreadSanitizer: the view, playback and lifecycle tests"
cmake -S . -B build-tsan $(generator_for build-tsan) -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lines[@]}" -DKORVANE_SANITIZE=thread \
  -DKORVANE_BUILD_BENCH=OFF -DKORVANE_BUILD_HOST=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target korvane_view_tests
# The enhancement job table's own tests run here too: its waiters and its
# worker are threads.
# libgomp is not built with ThreadSanitizer, so the synchronisation of its
# parallel loops (tool tables) is invisible to it: one thread runs them.
# The tests run in as many shards as there are cores, on one display, each
# shard's output shown whole once all are done.
export OMP_NUM_THREADS=1 GTEST_TOTAL_SHARDS="$jobs"
export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
export KORVANE_TSAN_FILTER='ViewTest.*:WindowSystem.*:HostWindow.*:*OnView.*:SnapshotStress.*:RunningView.*:CameraOnView.*:FrameCommands.*:RibbonView.*:RibbonByXEvents.*:CollisionJobView.*:CollisionView.*:RireRirJobs.*'
"${display[@]}" bash -c '
  failed=0
  for shard in $(seq 0 $((GTEST_TOTAL_SHARDS - 1))); do
    GTEST_SHARD_INDEX=$shard build-tsan/tests/korvane_view_tests --gtest_filter="$KORVANE_TSAN_FILTER" \
      >"build-tsan/shard-$shard.log" 2>&1 &
  done
  for shard in $(seq 0 $((GTEST_TOTAL_SHARDS - 1))); do wait -n || failed=1; done
  cat build-tsan/shard-*.log
  exit $failed'
