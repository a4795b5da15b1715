#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the project:
# a C++ compiler, CMake, make and GoogleTest, cairo (libcairo2-dev, for the
# post-processing's PNG figures; without it they are left out), and Debian's chromium for the
# test that renders the HTML report (that test is skipped where chromium
# cannot be installed); with the argument "fuzz" also clang (libFuzzer) for
# fuzz/run.sh. Does nothing when all are there.
set -euo pipefail

missing=()
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
clang_missing=0
cairo_missing=0
{ command -v pkg-config >/dev/null 2>&1 && pkg-config --exists cairo; } || cairo_missing=1
if [ "${1:-}" = "fuzz" ]; then command -v clang++ >/dev/null 2>&1 || clang_missing=1; fi
{ [ -f /usr/lib/x86_64-linux-gnu/libgtest.a ] || ls /usr/lib/*/libgtest.a >/dev/null 2>&1 || [ -f /usr/lib/libgtest.a ]; } || missing+=(libgtest-dev)

browser_missing=0
command -v chromium >/dev/null 2>&1 || command -v chromium-browser >/dev/null 2>&1 || browser_missing=1

if [ ${#missing[@]} -eq 0 ] && [ $browser_missing -eq 0 ] && [ $clang_missing -eq 0 ] && [ $cairo_missing -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq || true
if [ ${#missing[@]} -ne 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
if [ $cairo_missing -eq 1 ]; then
  echo "bootstrap: installing cairo (PNG figures of the post-processing)"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq pkg-config libcairo2-dev ||
    echo "bootstrap: cairo not installed; the programs are built without PNG figures"
fi
if [ $clang_missing -eq 1 ]; then
  echo "bootstrap: installing clang (libFuzzer for fuzz/run.sh)"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang ||
    echo "bootstrap: clang not installed; fuzz/run.sh uses its deterministic mutation driver"
fi
if [ $browser_missing -eq 1 ]; then
  echo "bootstrap: installing chromium (renders the HTML report in a test)"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq chromium ||
    echo "bootstrap: chromium not installed; the report rendering test will be skipped"
fi
