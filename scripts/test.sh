#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and runs every test, then the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer. Fails when any test fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh" --test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cmake -S "$here" -B "$here/build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVUE_WERROR=ON
cmake --build "$here/build/test" -j2
ctest --test-dir "$here/build/test" --output-on-failure -j2

# clang-tidy over the program's files (.clang-tidy), with that build's compile commands.
bash "$here/scripts/check-tidy.sh" "$here/build/test"

# The Debian package, its dependencies found by dpkg-shlibdeps from the libraries the programs link.
bash "$here/scripts/package.sh" "$here/build/test" "$here/build/package"

cmake -S "$here" -B "$here/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMIVUE_SANITIZE=ON -DLUMIVUE_WERROR=ON
cmake --build "$here/build/asan" -j2
ctest --test-dir "$here/build/asan" --output-on-failure -j2

# The tests that decode on worker threads, under ThreadSanitizer.
bash "$here/scripts/tsan.sh" "$here/build/tsan"

# The fuzz targets, replayed deterministically over their corpora and regression files.
FUZZ_BUILD="$here/build/fuzz" bash "$here/scripts/fuzz-replay.sh"
