#!/usr/bin/env bash
# Rewrites the expected outputs of the golden runs (tests/golden/*/expected)
# from the current build. Run it only when a change of the chain or of a file
# layout is intended, and review `git diff tests/golden` before committing.
#   tools/refresh_golden.sh [build-directory]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target test_console voskara_console
VOSKARA_REFRESH_GOLDEN=1 "$BUILD/bin/test_console" --gtest_filter='Projects/GoldenRun.*'
git status --short tests/golden
