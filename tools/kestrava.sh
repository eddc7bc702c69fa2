#!/usr/bin/env bash
# The two set-up commands of README.md:
#   bash tools/kestrava.sh run    install what is missing, build, run the main job
#   bash tools/kestrava.sh test   install what is missing, build, run every test
# An optional second argument names the CMake preset (default, asan).
#   bash tools/kestrava.sh fuzz [SECONDS]   build the libFuzzer targets and run each
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
job=${1:-run}
preset=${2:-default}
bash "$root/tools/install-deps.sh"
cd "$root"
if [ "$job" = fuzz ]; then
  bash "$root/tools/install-deps.sh" "$root/tools/packages-fuzz.txt"
  cmake --preset fuzz >/dev/null
  cmake --build build-fuzz -j"$(nproc)"
  seconds=${2:-60}
  # Findings name functions and lines through the symbolizer of the same LLVM.
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-19/bin/llvm-symbolizer
  export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
  for target in build-fuzz/fuzz_*; do
    [ -x "$target" ] && [ -f "$target" ] || continue
    name=$(basename "$target")
    mkdir -p "build-fuzz/corpus/$name"
    mapfile -t seeds < "build-fuzz/$name.seeds"
    # Inputs as large as the largest real file, and no smaller than 4 KB.
    max_len=$(find "${seeds[@]}" -type f -printf '%s\n' 2>/dev/null | sort -n | tail -1)
    if [ -z "$max_len" ] || [ "$max_len" -lt 4096 ]; then max_len=4096; fi
    "$target" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
      "build-fuzz/corpus/$name" "${seeds[@]}"
  done
  exit 0
fi
builddir=build
[ "$preset" != default ] && builddir="build-$preset"
cmake --preset "$preset" >/dev/null
cmake --build "$builddir" -j"$(nproc)"
case "$job" in
  run)
    demo="$builddir/data/demo/demo.ksv"
    # The editor where a display exists; the command-line tool otherwise.
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$builddir/kestrava" ]; then
      "$builddir/kestrava" "$demo"
    else
      # Headless: the project summary, its compiled image and every screen as PNG.
      out="$builddir/out"
      mkdir -p "$out"
      "$builddir/kestrava-cli" info "$demo"
      "$builddir/kestrava-cli" compile "$demo" -o "$out/demo.img"
      "$builddir/kestrava-cli" render "$demo" --all -o "$out"
    fi
    ;;
  test)
    cd "$builddir"
    ctest --output-on-failure -j"$(nproc)" --timeout 900
    ;;
  *)
    echo "usage: tools/kestrava.sh run|test [preset]" >&2
    exit 2
    ;;
esac
