# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/fuzz-replay.sh and scripts/fuzz-campaign.sh (sourced, not run).
# Expects $here (the project folder) and $build (the fuzz build folder).

# Clang and its fuzzer runtime come from scripts/setup.sh; nothing is installed here.
fuzz_check_tools() {
  local missing=0
  command -v clang++ >/dev/null || missing=1
  [ -n "$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null)" ] || missing=1
  if [ "$missing" -ne 0 ]; then
    echo "fuzz: clang++ or its libFuzzer runtime is missing; run scripts/setup.sh --test first." >&2
    exit 1
  fi
}

# Configures and builds the targets and the seed maker, then makes the seeds afresh.
fuzz_build() {
  fuzz_check_tools
  cmake -S "$here/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$build" -j2
  rm -rf "$build/seeds"
  "$build/make_seeds" "$build/seeds" >/dev/null
  mapfile -t FUZZ_TARGETS < "$build/fuzz-targets.txt"
}

# The file name endings of the regression files a target replays.
fuzz_extensions() {
  case "$1" in
    bitmap|facts) echo bmp ;;
    icon) echo ico ;;
    jpeg) echo jpg ;;
    roundtrip) echo "bmp jpg" ;;
    webp) echo webp ;;
    tiff) echo "tif tiff" ;;
    heif) echo "heic heif avif" ;;
    jxl) echo jxl ;;
    raw) echo "dng cr2 nef" ;;
    png) echo png ;;
    gif) echo gif ;;
    animation) echo "gif webp" ;;
  esac
}

# Copies the target's regression files (tests/picture/regressions/) into a folder.
fuzz_collect_regressions() {
  local target="$1" dest="$2" ext f
  mkdir -p "$dest"
  for ext in $(fuzz_extensions "$target"); do
    for f in "$here"/tests/picture/regressions/*."$ext"; do
      [ -e "$f" ] && cp "$f" "$dest/"
    done
  done
  return 0
}

# The committed corpus and the seeds of a target, the folders that exist.
fuzz_corpus_dirs() {
  local target="$1" d kinds="$1"
  [ "$target" = animation ] && kinds="gif webp" # the animations among those kinds' files
  for d in $(for k in $kinds; do echo "$here/fuzz/corpus/$k" "$build/seeds/$k"; done); do
    [ -d "$d" ] && echo "$d"
  done
  return 0
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
export QT_HASH_SEED=0   # the same hash order every run, so the replay takes the same path
