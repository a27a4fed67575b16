#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tests that decode pictures on worker threads with ThreadSanitizer, in a build
# folder of their own, and runs them. Fails when a test fails or a data race is reported.
#   scripts/tsan.sh [build folder]      (default: build/tsan)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build/tsan}"
export QT_QPA_PLATFORM=offscreen
# Qt and libjpeg are not built for the race checker, so their own locking is invisible to it:
# what they do inside is not judged (ignore_noninstrumented_modules), and the decode workers
# hand everything over under standard mutexes, which the checker sees.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
tests=(controls_test_decode_threads controls_test_imagecontrol picture_test_jpeg_cachejob ui_test_viewform_decoding
       ui_test_viewform)

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVUE_SANITIZE=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build "$build" -j2 --target "${tests[@]}"
for t in "${tests[@]}"; do
  echo "== $t (ThreadSanitizer)"
  "$build/tests/$t"
done
