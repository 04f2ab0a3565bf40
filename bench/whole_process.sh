#!/usr/bin/env bash
# The whole programs on the longest scenario (1 000 000 m), as a user meets
# them: process start, reading the texts, compiling, and writing the three
# compiled files safely.  `scenario-tool compile` is measured against one
# plain write of the same number of bytes into the same directory, in pairs
# run back to back (their order alternating), so that the load of the
# machine falls on both alike; the ratio is the median of the pairs'.  Also
# measured: the generator's built-in run, `scenario-tool check` of the
# longest scenario, and the compile's peak resident memory against the size
# of the files it writes (exceeding files + 8 MiB fails the script; the time
# ratio is reported, not enforced, since it depends on the machine's load).
#
# usage: bench/whole_process.sh BUILD_DIR [--quick]
#   BUILD_DIR holds scenario-tool, scenario-generator and write_longest_texts
#   --quick   a few runs only: shows that the measurement works (for CI)
set -euo pipefail

readonly TARGET_RATIO=1.3
readonly MEMORY_MARGIN_KIB=8192

die() {
  echo "whole_process: $*" >&2
  exit 1
}

[[ $# -ge 1 && $# -le 2 ]] || die "usage: $0 BUILD_DIR [--quick]"
build=$(cd "$1" && pwd)
pairs=15 runs=10
if [[ ${2:-} == --quick ]]; then
  pairs=3 runs=2
elif [[ -n ${2:-} ]]; then
  die "unknown option $2"
fi
tool=$build/scenario-tool
generator=$build/scenario-generator
write_texts=$build/write_longest_texts
for program in "$tool" "$generator" "$write_texts"; do
  [[ -x $program ]] || die "$program is not built"
done
command -v hyperfine >/dev/null || die "hyperfine is not installed"
[[ -x /usr/bin/time ]] || die "/usr/bin/time is not installed"
# The commands quote their paths in single quotes.
[[ $build != *[\'\"]* ]] || die "the build directory's path must not hold a quote"

work=$(mktemp -d "$build/whole-process.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/out
mkdir "$out"
"$write_texts" "$work"
line=$work/Sintetica_linea.txt
service=$work/Sintetica_S1-.txt
compile=("$tool" compile "$line" "$service" --out "$out")
# The same, as hyperfine and sh -c take a command.
quoted_compile="'$tool' compile '$line' '$service' --out '$out'"

# One run first: it must work, and it tells how many bytes to write plainly.
"${compile[@]}" >/dev/null
bytes=$(stat -c %s "$out/Sintetica_linea.dat" "$out/Sintetica_S1.sim" "$out/Sintetica_S1.dat" |
  awk '{ s += $1 } END { print s }')
plain="head -c $bytes /dev/zero > '$out/plain.bin'"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }

# One hyperfine run of each command; prints "wall cpu" for compile, then plain.
pair() {
  local csv=$work/pair.csv
  local -a commands=(-n compile "sh -c \"$quoted_compile >/dev/null\"" -n plain "sh -c \"$plain\"")
  if [[ $1 == plain-first ]]; then
    commands=("${commands[@]:3:3}" "${commands[@]:0:3}")
  fi
  hyperfine -N --style none --runs 1 --export-csv "$csv" "${commands[@]}" >/dev/null
  for name in compile plain; do
    awk -F, -v n="$name" '$1 == n { print $2, $5 + $6 }' "$csv"
  done
}

echo "== scenario-tool compile of the longest scenario against one plain write"
echo "   compile: $quoted_compile"
echo "   plain:   $plain"
echo "   load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
pair compile-first >/dev/null # warm-up: caches, the files' blocks
: >"$work/pairs"
for ((i = 0; i < pairs; ++i)); do
  order="compile-first"
  ((i % 2)) && order="plain-first"
  pair "$order" | paste -s -d' ' >>"$work/pairs"
done
echo "   load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

col() { awk -v c="$1" '{ print $c }' "$work/pairs" | median; }
compile_wall=$(col 1) compile_cpu=$(col 2) plain_wall=$(col 3) plain_cpu=$(col 4)
ratio=$(awk '{ print $1 / $3 }' "$work/pairs" | median)
cpu_ratio=$(awk '{ print $2 / $4 }' "$work/pairs" | median)
echo "   $pairs pairs, medians: compile $(ms "$compile_wall") ms (CPU $(ms "$compile_cpu") ms)," \
  "plain write of $bytes bytes $(ms "$plain_wall") ms (CPU $(ms "$plain_cpu") ms)"
# The target has two decimals: so has the ratio it is held against.
ratio=$(printf '%.2f' "$ratio")
verdict=$(awk -v r="$ratio" -v t="$TARGET_RATIO" 'BEGIN { print (r <= t) ? "within" : "NOT within" }')
printf '   ratio compile / plain write, median of the pairs: %s (%s the %s target); CPU time ratio %.2f\n' \
  "$ratio" "$verdict" "$TARGET_RATIO" "$cpu_ratio"

# The generator writes beside its own executable: a copy of it runs here.
mkdir "$work/generator"
cp "$generator" "$work/generator/"
for what in "scenario-generator (built-in run)|$work/generator/scenario-generator" \
  "scenario-tool check of the longest scenario|'$tool' check '$line' '$service'"; do
  name=${what%%|*} command=${what#*|}
  hyperfine -N --style none --warmup 1 --runs "$runs" --export-csv "$work/one.csv" "$command" >/dev/null
  awk -F, -v n="$name" -v r="$runs" 'NR == 2 {
    printf "== %s: median %.1f ms of %d runs (mean %.1f ms, CPU %.1f ms)\n", n, $4 * 1000, r, $2 * 1000, ($5 + $6) * 1000
  }' "$work/one.csv"
  echo "   $command"
done

/usr/bin/time -f %M -o "$work/peak" "${compile[@]}" >/dev/null
peak_kib=$(tail -n 1 "$work/peak")
limit_kib=$((bytes / 1024 + MEMORY_MARGIN_KIB))
echo "== peak resident memory of the compile: $peak_kib KiB; files $((bytes / 1024)) KiB + 8 MiB = $limit_kib KiB"
if ((peak_kib > limit_kib)); then
  die "the compile's peak resident memory exceeds the files' size + 8 MiB"
fi
