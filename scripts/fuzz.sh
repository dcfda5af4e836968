#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ and runs each for a bounded time.
#
#   scripts/fuzz.sh                 all targets, 60 seconds each
#   scripts/fuzz.sh pages           one target (intconversion, headercheck, pages)
#   FUZZ_SECONDS=600 scripts/fuzz.sh
#   FUZZ_MAX_LEN=65536 scripts/fuzz.sh   longest input tried (default 8192 bytes)
#   FUZZ_JOBS=2 scripts/fuzz.sh     build jobs (default 1)
#
# Each target starts from its seed files in tests/fuzz/corpus/<name>/ and
# keeps what it learns in build-fuzz/corpus/<name>/, so a later run goes on
# from there. An input that breaks a target is saved as
# build-fuzz/artifacts/<name>/crash-*; replay it with
#   build-fuzz/tests/fuzz/fuzz_<name> FILE
# or, in the ordinary build, build/tests/fuzz/fuzz_<name> --runs 0 FILE.
# Once fixed, copy it into tests/fuzz/corpus/<name>/ so the test suite keeps it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
maxlen="${FUZZ_MAX_LEN:-8192}"
jobs="${FUZZ_JOBS:-1}"
all=(intconversion headercheck pages mhtml)
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=("${all[@]}")

# clang and the runtime libraries of libFuzzer and the sanitizers.
bash scripts/deps.sh clang libclang-rt-14-dev

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDORVANA_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

status=0
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  artifacts="build-fuzz/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$t for ${seconds}s"
  if ! "build-fuzz/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "tests/fuzz/corpus/$t"; then
    echo "fuzz_$t found a failing input: see $artifacts/" >&2
    status=1
  fi
done
exit "$status"
