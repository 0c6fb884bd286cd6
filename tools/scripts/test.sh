#!/usr/bin/env bash
# Builds everything (debug, with AddressSanitizer and UBSan) and runs every test.
# The Debian package's test (label "package") builds a second, optimised copy
# of the whole program: it runs with TONVIK_TEST_PACKAGE=1.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/scripts/deps.sh
tonvik_install_deps

cmake --preset debug
cmake --build --preset debug
if [ "${TONVIK_TEST_PACKAGE:-0}" = 1 ]; then
  ctest --preset debug
else
  ctest --preset debug -LE package
fi
