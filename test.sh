#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
source "$(dirname "$0")/tools/setup.sh"
cd build
ctest --output-on-failure --parallel "$(nproc)"
