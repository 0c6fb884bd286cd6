#!/usr/bin/env bash
# Builds everything (debug, with AddressSanitizer and UBSan) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/scripts/deps.sh
tonvik_install_deps

cmake --preset debug
cmake --build --preset debug
ctest --preset debug
