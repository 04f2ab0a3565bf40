#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*.cc) with clang and runs each one for a
# bounded time on a copy of its seed corpus (fuzz/corpus/<target>), so that
# the committed seeds never change.  A crash, a sanitizer report, a leak or a
# timeout stops the run with a non-zero status; the input that caused it is
# left in the build directory as <target>-crash-... and friends.
#
#   scripts/run-fuzz.sh BUILD_DIR SECONDS_PER_TARGET [extra cmake flags...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2

CXX=clang++ cmake -S . -B "$build" -DSCENARIO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for src in fuzz/*.cc; do targets+=("$(basename "$src" .cc)"); done
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for t in "${targets[@]}"; do
  corpus="$work/$t"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$t" ]; then cp -r "fuzz/corpus/$t/." "$corpus/"; fi
  options=()
  if [ -f "fuzz/$t.dict" ]; then options+=(-dict="fuzz/$t.dict"); fi
  if [ -f "fuzz/$t.options" ]; then read -r -a more <"fuzz/$t.options" && options+=("${more[@]}"); fi
  echo "== fuzzing $t for ${seconds}s"
  "$build/$t" "$corpus" "${options[@]}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/$t-" 2>"$build/$t.log" ||
    { tail -n 60 "$build/$t.log"; echo "fuzzing $t found a fault" >&2; exit 1; }
  grep -E '^stat::number_of_executed_units' "$build/$t.log" | sed "s/^/   $t /"
done
