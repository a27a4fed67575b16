#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang and replays, for each target, its committed corpus
# (fuzz/corpus/<target>/), its regression files (tests/picture/regressions/) and the seeds
# the project's encoders make, then a fixed number of mutations with a fixed seed. The same
# inputs run every time, so a failure here is a real fault, never chance.
# Environment: FUZZ_BUILD (build folder, default build/fuzz), FUZZ_RUNS (default 500).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD:-$here/build/fuzz}"
runs="${FUZZ_RUNS:-500}"
source "$here/fuzz/common.sh"
fuzz_build

status=0
for t in "${FUZZ_TARGETS[@]}"; do
  work="$build/replay/$t"
  rm -rf "$work"
  mkdir -p "$work/new"
  fuzz_collect_regressions "$t" "$work/regressions"
  mapfile -t dirs < <(fuzz_corpus_dirs "$t")
  # The first folder takes what the mutations find; it is thrown away. Generous time and
  # memory limits: a loaded machine must not fail the replay (the campaigns use 10 s).
  if "$build/fuzz_$t" -seed=1 -runs="$runs" -timeout=120 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$work/" \
       "$work/new" "$work/regressions" "${dirs[@]}" >"$work/log" 2>&1; then
    files="$(grep -m1 -o 'seed corpus: files: [0-9]*' "$work/log" | grep -o '[0-9]*$')"
    units="$(grep -m1 -o 'number_of_executed_units: [0-9]*' "$work/log" | grep -o '[0-9]*$')"
    echo "fuzz replay $t: ${files:-?} files replayed, $units runs in all with the mutations, ok"
  else
    echo "fuzz replay $t: FAILED (log: $work/log)" >&2
    tail -n 40 "$work/log" >&2
    status=1
  fi
done
exit "$status"
