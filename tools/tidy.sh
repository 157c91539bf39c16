#!/usr/bin/env bash
# clang-tidy with the repository's .clang-tidy over every .cpp file under src/ that the build
# compiles, two at a time; any finding fails. Usage: tools/tidy.sh [BUILD_FOLDER]   (default
# build/, built first: the windows' sources include headers that the build generates)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: no $build/compile_commands.json; build first (./test.sh or tools/setup.sh)" >&2
  exit 2
fi
# run-clang-tidy picks files from the compile database by regular expression: our src/ folder,
# never the build's generated sources (moc, uic) or the tests.
src=$(realpath src | sed 's/[][\\.*^$+?(){}|]/\\&/g')
run-clang-tidy -p "$build" -j 2 -quiet "^$src/.*\\.cpp\$"
