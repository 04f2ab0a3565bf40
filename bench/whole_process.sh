#!/usr/bin/env bash
# The whole programs on the longest scenario (1 000 000 m), as a user meets
# them: process start, reading the texts, compiling, and writing the
# compiled files safely (each temporary file synced to the disk before it
# takes its name).  `scenario-tool compile` is measured against one plain
# write of the same number of bytes into the same directory, and against the
# same plain write followed by a sync of that file, in rounds run back to
# back (their order rotating), so that the load of the machine falls on all
# alike; each ratio is the median of the rounds'.  Every timed run starts
# from a synced system (hyperfine --prepare sync, not timed): otherwise the
# dirty pages one command leaves behind are put on the disk while the next
# one runs, and are charged to it.  Also measured: the generator's built-in
# run, `scenario-tool check` of the longest scenario, and the compile's peak
# resident memory against the size of the files it writes (exceeding files +
# 8 MiB fails the script; the time ratios are reported, not enforced, since
# they depend on the machine and its load); and `scenario-tool diff` of the
# longest scenario against a copy with one signal's aspects changed, its
# median time against its 150 ms target (reported) and its peak resident
# memory against twice the files' size + 16 MiB (enforced).
#
# usage: bench/whole_process.sh BUILD_DIR [--quick]
#   BUILD_DIR holds scenario-tool, scenario-generator and write_longest_texts
#   --quick   a few runs only: shows that the measurement works (for CI)
set -euo pipefail

readonly TARGET_RATIO=1.3
readonly MEMORY_MARGIN_KIB=8192
readonly DIFF_TARGET_MS=150
readonly DIFF_MEMORY_MARGIN_KIB=16384

die() {
  echo "whole_process: $*" >&2
  exit 1
}

[[ $# -ge 1 && $# -le 2 ]] || die "usage: $0 BUILD_DIR [--quick]"
build=$(cd "$1" && pwd)
rounds=15 runs=10
if [[ ${2:-} == --quick ]]; then
  rounds=3 runs=2
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

# One run first: it must work, and it tells how many bytes to write plainly:
# all that it writes (the compiled files and whatever goes beside them).
"${compile[@]}" >/dev/null 2>"$work/compile.err" ||
  die "the compile failed: $(tail -n 5 "$work/compile.err")"
bytes=$(stat -c %s "$out"/* | awk '{ s += $1 } END { print s }')
plain="head -c $bytes /dev/zero > '$out/plain.bin'"
synced="$plain && sync '$out/plain.bin'"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }

names=(compile plain synced)
commands=("$quoted_compile >/dev/null 2>&1" "$plain" "$synced")
# One round: each command once, the first being number $1 (0 to 2); prints
# "wall cpu" of each, in the order of `names`.
round() {
  local csv=$work/round.csv
  local -a args=()
  for ((k = 0; k < 3; ++k)); do
    local i=$(((k + $1) % 3))
    args+=(-n "${names[i]}" "sh -c \"${commands[i]}\"")
  done
  hyperfine -N --style none --prepare sync --runs 1 --export-csv "$csv" "${args[@]}" >/dev/null
  for name in "${names[@]}"; do
    awk -F, -v n="$name" '$1 == n { print $2, $5 + $6 }' "$csv"
  done
}

echo "== scenario-tool compile of the longest scenario against one plain write"
echo "   compile: $quoted_compile"
echo "   plain:   $plain"
echo "   synced:  $synced"
echo "   load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
round 0 >/dev/null # warm-up: caches, the files' blocks
: >"$work/rounds"
for ((r = 0; r < rounds; ++r)); do
  round $((r % 3)) | paste -s -d' ' >>"$work/rounds"
done
echo "   load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

col() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
ratio() { awk -v c="$1" '{ print $1 / $c }' "$work/rounds" | median; }
echo "   $rounds rounds, medians: compile $(ms "$(col 1)") ms (CPU $(ms "$(col 2)") ms)," \
  "plain write of $bytes bytes $(ms "$(col 3)") ms (CPU $(ms "$(col 4)") ms)," \
  "plain write and sync $(ms "$(col 5)") ms (CPU $(ms "$(col 6)") ms)"
# The target has two decimals: so has the ratio it is held against.
plain_ratio=$(printf '%.2f' "$(ratio 3)")
verdict=$(awk -v r="$plain_ratio" -v t="$TARGET_RATIO" 'BEGIN { print (r <= t) ? "within" : "NOT within" }')
printf '   ratio compile / plain write, median of the rounds: %s (%s the %s target)\n' \
  "$plain_ratio" "$verdict" "$TARGET_RATIO"
printf '   ratio compile / plain write and sync of that file: %.2f\n' "$(ratio 5)"

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

/usr/bin/time -f %M -o "$work/peak" "${compile[@]}" >/dev/null 2>&1
peak_kib=$(tail -n 1 "$work/peak")
limit_kib=$((bytes / 1024 + MEMORY_MARGIN_KIB))
echo "== peak resident memory of the compile: $peak_kib KiB; files $((bytes / 1024)) KiB + 8 MiB = $limit_kib KiB"
if ((peak_kib > limit_kib)); then
  die "the compile's peak resident memory exceeds the files' size + 8 MiB"
fi

# diff: the compiled set above against one whose signal halfway along shows
# other aspects (the first signal line past the middle of the text).
changed=$work/changed
mkdir "$changed" "$work/out_changed"
cp "$line" "$changed/"
awk 'BEGIN { done = 0 } { if (!done && NR > 2 && $1 == "segnale," && NR * 2 > total) { sub(/, 4,/, ", 3,"); done = 1 } print }' \
  total="$(wc -l <"$service")" "$service" >"$changed/$(basename "$service")"
cmp -s "$service" "$changed/$(basename "$service")" && die "no signal was changed for the diff"
"$tool" compile "$changed/$(basename "$line")" "$changed/$(basename "$service")" \
  --out "$work/out_changed" >/dev/null 2>&1 || die "the changed scenario did not compile"
mkdir "$work/out_diff"
cp "$out"/Sintetica_* "$work/out_diff/"
diff_command="'$tool' diff '$work/out_diff' '$work/out_changed'"
status=0
"$tool" diff "$work/out_diff" "$work/out_changed" >"$work/diff.out" 2>&1 || status=$?
((status == 1)) || die "diff of the changed scenario exited $status: $(head -n 5 "$work/diff.out")"
hyperfine -N -i --style none --warmup 1 --runs "$runs" --export-csv "$work/one.csv" "$diff_command" &>/dev/null
diff_ms=$(awk -F, 'NR == 2 { printf "%.1f", $4 * 1000 }' "$work/one.csv")
verdict=$(awk -v t="$diff_ms" -v l="$DIFF_TARGET_MS" 'BEGIN { print (t <= l) ? "within" : "NOT within" }')
echo "== scenario-tool diff of the longest scenario and one signal changed: median $diff_ms ms" \
  "of $runs runs ($verdict the $DIFF_TARGET_MS ms target)"
echo "   $diff_command"
/usr/bin/time -f %M -o "$work/peak" "$tool" diff "$work/out_diff" "$work/out_changed" >/dev/null 2>&1 || true
peak_kib=$(tail -n 1 "$work/peak")
files_kib=$(($(stat -c %s "$work/out_diff"/Sintetica_{S1.sim,S1.dat,linea.dat} |
  awk '{ s += $1 } END { print s }') / 1024))
limit_kib=$((2 * files_kib + DIFF_MEMORY_MARGIN_KIB))
echo "== peak resident memory of the diff: $peak_kib KiB; twice the files' $files_kib KiB + 16 MiB = $limit_kib KiB"
if ((peak_kib > limit_kib)); then
  die "the diff's peak resident memory exceeds twice the files' size + 16 MiB"
fi
