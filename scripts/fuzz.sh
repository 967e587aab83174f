#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and AddressSanitizer/UndefinedBehaviorSanitizer,
# replays each committed corpus, then fuzzes each target for a bounded time.
# Usage: scripts/fuzz.sh [--long | SECONDS] [TARGET...]
#   default 60 s per target (CI); --long means 30 minutes per target; TARGET is a name such as
#   text (see fuzz/corpus/). A failing input is left in build-fuzz/artifacts/TARGET/: add it to
#   fuzz/corpus/TARGET/ as a regression input once the fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
if [[ $# -gt 0 && "$1" == "--long" ]]; then
  seconds=1800
  shift
elif [[ $# -gt 0 && "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(text word_splitter hunspell dictionary system)
fi

build_dir=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSPELL_FUZZ=ON -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_BENCH=OFF -DSPELL_BUILD_MODULE=OFF \
  >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14 || true)}

# The Linux spell service reads its provider order from here rather than the user's settings.
enchant_dir=$(mktemp -d)
trap 'rm -rf "$enchant_dir"' EXIT
printf '*:hunspell\n' >"$enchant_dir/enchant.ordering"
export ENCHANT_CONFIG_DIR=$enchant_dir

summary=()
for target in "${targets[@]}"; do
  binary=$build_dir/fuzz/${target}_fuzzer
  seeds=fuzz/corpus/$target
  work=$build_dir/corpus/$target
  artifacts=$build_dir/artifacts/$target/
  mkdir -p "$work" "$artifacts"

  echo "== fuzz $target: replaying $seeds"
  "$binary" -runs=0 "$seeds" 2>"$build_dir/$target.replay.log" || {
    cat "$build_dir/$target.replay.log"
    echo "fuzz $target: a committed input fails" >&2
    exit 1
  }

  echo "== fuzz $target: ${seconds}s"
  log=$build_dir/$target.log
  if ! "$binary" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "$seeds" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz $target: failing input kept in $artifacts" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
  summary+=("$target: ${runs:-?} executions in ${seconds}s, ${coverage:-cov: ?}")
done

echo "== fuzz summary"
printf '  %s\n' "${summary[@]}"
