#!/usr/bin/env bash
# Builds the fuzz targets of the readers with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a bounded time.
#   fuzz/run.sh [seconds per target] [build directory]
# With clang (libFuzzer) new inputs that reach new code are kept in
# BUILD/fuzz-corpus/TARGET, findings are written to BUILD/fuzz-findings/;
# without clang the deterministic mutation driver runs instead. A finding
# ends the script with a non-zero exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=${2:-build-fuzz}
mkdir -p "$build"
# Absolute paths: each input runs in a scratch project directory, and a
# finding is written while the target is still there.
build=$(cd "$build" && pwd)
source_dir=$(pwd)
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
targets=(parameter data map fibd sample)

bash tools/bootstrap.sh fuzz
compiler=g++
if command -v clang++ >/dev/null 2>&1 &&
   echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
   clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - >/dev/null 2>&1; then
  compiler=clang++
fi
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$compiler" "${launcher[@]}" -DVOSKARA_SANITIZE=ON \
  -DVOSKARA_FUZZ=ON -DVOSKARA_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
programs=()
for t in "${targets[@]}"; do programs+=("fuzz_${t}_file"); done
if ! cmake --build "$build" -j "$jobs" --target "${programs[@]}" >"$build/fuzz-build.log" 2>&1; then
  tail -n 40 "$build/fuzz-build.log"
  exit 1
fi
for t in "${targets[@]}"; do
  [ -x "$build/bin/fuzz_${t}_file" ] || { echo "fuzz: fuzz_${t}_file was not built"; exit 1; }
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/fuzz-findings"
for t in "${targets[@]}"; do
  mkdir -p "$build/fuzz-corpus/$t"
  echo "fuzz: $t reader for ${seconds}s ($compiler)"
  log="$build/fuzz-findings/$t.log"
  set +e
  "$build/bin/fuzz_${t}_file" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$build/fuzz-findings/$t-" "$build/fuzz-corpus/$t" "$source_dir/fuzz/corpus/$t" >"$log" 2>&1
  status=$?
  set -e
  grep -E '^#[0-9]+.*(INITED|DONE)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz: the $t reader failed (exit $status); the input is in $build/fuzz-findings/"
    exit 1
  fi
done
