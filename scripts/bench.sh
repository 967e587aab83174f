#!/usr/bin/env bash
# Measures this module against direct Hunspell calls and against its peers (nspell, typo-js,
# hunspell-asm) over one corpus, and prints one table. Not part of CI: it takes minutes and its
# figures depend on the machine.
# Usage: scripts/bench.sh [--rounds N] [--json FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${SPELL_PEERS_BUILD:-build-peers}

# The peers are development dependencies pinned in package-lock.json.
for peer in nspell dictionary-en typo-js hunspell-asm; do
  if [[ ! -d node_modules/$peer ]]; then
    npm install --no-audit --no-fund --ignore-scripts --loglevel=error
    break
  fi
done
if [[ ! -d /usr/share/games/fortunes ]]; then
  echo "bench: the corpus needs Debian's fortunes package: run scripts/setup.sh" >&2
  exit 1
fi

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_MODULE=ON \
  -DSPELL_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target spellchecker_module bench_hunspell_direct \
  bench_napi_floor
node bench/peers/run.mjs --build "$build_dir" "$@"
