#!/usr/bin/env bash
# Builds the benchmarks in build-bench/ (Release) and runs them all, printing one table: our
# figure, its reference from the same run, the ratio and the goal. Exits non-zero when a goal is
# missed. Usage: tools/bench.sh [BENCHMARK...]   (names: tavrin_bench_*, without the prefix)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
out=build-bench
mkdir -p "$out"
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON >/dev/null || exit 1
cmake --build "$out" --parallel 2 >"$out/build.log" 2>&1 || { tail -30 "$out/build.log"; exit 1; }

names=("$@")
if ((${#names[@]} == 0)); then
  # Executables only: AUTOMOC leaves a folder of the same prefix.
  for b in "$out"/bench/tavrin_bench_*; do
    [[ -f $b && -x $b ]] && names+=("${b##*/tavrin_bench_}")
  done
fi

echo "| benchmark | ours | reference | ratio | goal | |"
echo "|---|---|---|---|---|---|"
failed=0
for n in "${names[@]}"; do
  # Notes from a benchmark go to stderr, kept apart so the table stays whole.
  "$out/bench/tavrin_bench_$n" 2>"$out/bench_$n.log" || failed=1
done
if ((failed)); then
  echo "Some goal was missed or a benchmark failed; notes in $out/bench_*.log"
  exit 1
fi
echo "Every goal met."
