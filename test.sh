#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
#   ./test.sh              g++, in build/
#   ./test.sh --sanitize   clang with AddressSanitizer and UndefinedBehaviorSanitizer, in
#                          build-asan/; any sanitizer report fails the run
# TAVRIN_WERROR=ON in the environment makes warnings errors, as in CI.
sanitize=0
if [ "${1:-}" = --sanitize ]; then
  sanitize=1
  TAVRIN_BUILD_DIR=build-asan
  TAVRIN_EXTRA_PACKAGES=(clang libclang-rt-14-dev)
  TAVRIN_CMAKE_ARGS=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVRIN_SANITIZE=ON)
elif [ $# -gt 0 ]; then
  echo "Usage: $0 [--sanitize]" >&2
  exit 2
fi
source "$(dirname "$0")/tools/setup.sh"
root=$PWD
cd "$TAVRIN_BUILD_DIR"

if ((!sanitize)); then
  exec ctest --output-on-failure --parallel "$(nproc)"
fi

# Reports go to files as well as failing their process: the end-to-end test does not look at
# the program's exit status, and a forked child's report would otherwise go unseen.
logs=$PWD/sanitizer-logs
rm -rf "$logs" && mkdir -p "$logs"
common="halt_on_error=1:print_stacktrace=1:log_exe_name=1:log_path=$logs/report"
export ASAN_OPTIONS="$common:detect_leaks=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="$common"
# Third-party leaks only.
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
status=0
ctest --output-on-failure --parallel "$(nproc)" || status=$?
if compgen -G "$logs/report.*" >/dev/null; then
  for f in "$logs"/report.*; do
    echo "==== sanitizer report ${f##*/} ===="
    cat "$f"
  done
  status=1
fi
exit "$status"
