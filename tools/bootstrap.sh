#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the project:
# a C++ compiler, CMake, make and GoogleTest. Does nothing when all are there.
set -euo pipefail

missing=()
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
{ [ -f /usr/lib/x86_64-linux-gnu/libgtest.a ] || ls /usr/lib/*/libgtest.a >/dev/null 2>&1 || [ -f /usr/lib/libgtest.a ]; } || missing+=(libgtest-dev)

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "bootstrap: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
