#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every fuzz target and runs each for a given time (the campaigns; not part of the
# test command). Usage: scripts/fuzz-campaign.sh [seconds per target, default 1800] [target...]
# Each target keeps its growing corpus in <build>/campaign/<target>/corpus between campaigns
# and starts from it, the committed corpus, the seeds, its regression files and, for the
# bitmap readers, ../shared/corpus/bmpsuite/ when present (read only). Crashing, hanging or
# over-allocating inputs land in <build>/campaign/<target>/ as crash-*, timeout-*, oom-*.
# Environment: FUZZ_BUILD (default build/fuzz), FUZZ_JOBS (targets at once, default 2),
# FUZZ_NICE (default 19).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD:-$here/build/fuzz}"
seconds="${1:-1800}"
shift || true
jobs="${FUZZ_JOBS:-2}"
niceness="${FUZZ_NICE:-19}"
source "$here/fuzz/common.sh"
fuzz_build
[ $# -gt 0 ] && FUZZ_TARGETS=("$@")
bmpsuite="$here/../shared/corpus/bmpsuite"

run_target() {
  local t="$1" work="$build/campaign/$1"
  mkdir -p "$work/corpus"
  rm -rf "$work/regressions"
  fuzz_collect_regressions "$t" "$work/regressions"
  local -a dirs
  mapfile -t dirs < <(fuzz_corpus_dirs "$t")
  case "$t" in
    bitmap|roundtrip|facts)
      for d in g q b; do [ -d "$bmpsuite/$d" ] && dirs+=("$bmpsuite/$d"); done ;;
  esac
  local rc=0
  nice -n "$niceness" "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" \
    "$work/corpus" "$work/regressions" "${dirs[@]}" >"$work/log" 2>&1 || rc=$?
  local units
  units="$(grep -o 'number_of_executed_units: [0-9]*' "$work/log" | tail -n1 | cut -d' ' -f2)"
  local found
  found="$(ls "$work" | grep -E '^(crash|timeout|oom|leak|slow-unit)-' | tr '\n' ' ' || true)"
  echo "$t: ${units:-?} executions in up to ${seconds} s, exit $rc${found:+, found: $found}" | tee "$work/result"
}

running=0
for t in "${FUZZ_TARGETS[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$t" &
  running=$((running + 1))
done
wait
echo "Campaign results:"
for t in "${FUZZ_TARGETS[@]}"; do cat "$build/campaign/$t/result"; done
