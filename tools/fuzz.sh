#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for SECONDS seconds (default
# 60), one line a target. Inputs found go to build-fuzz/corpus/<target>/, faults to
# build-fuzz/crashes/<target>/. Usage: tools/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(catalogue profile clipboard winereg icon cp932 paths xyz ldb runtime codepage sidefiles savegame find)

out=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$out" -G Ninja -DTAVRIN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$out" --parallel 2 --target fuzz_make_seeds \
  "${targets[@]/#/fuzz_}" >"$out/build.log" 2>&1 || { tail -30 "$out/build.log"; exit 1; }
"$out/fuzz/fuzz_make_seeds" "$out/seeds" || exit 1

failed=0
for t in "${targets[@]}"; do
  mkdir -p "$out/corpus/$t" "$out/crashes/$t"
  log="$out/fuzz_$t.log"
  "$out/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/crashes/$t/" "$out/corpus/$t" "$out/seeds/$t" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo "?")
  if ((rc == 0)); then
    printf '%-10s ok      %s runs in %ss\n' "$t" "$runs" "$seconds"
  else
    printf '%-10s FAULT   see %s and %s\n' "$t" "$log" "$(find "$out/crashes/$t" -type f -print -quit)"
    failed=1
  fi
done
exit $failed
