#!/usr/bin/env bash
# Measures this module against direct Hunspell calls (to the engine it ships and to the system's
# Hunspell library) and against its peers (nspell, typo-js, hunspell-asm), every engine with the
# same Debian dictionary files, over an English, a German and a Dutch corpus, and prints one table
# per language. The module is measured twice: as built, and as an application gets it, the
# linux-x64 prebuild packed (scripts/prebuild.sh, which remakes prebuilds/) and installed from the
# tarball. Not part of CI: it takes minutes and its figures depend on the machine.
# Usage: scripts/bench.sh [--module PATH] [--installed DIR] [--languages en_US,de_DE,nl_NL]
#          [--rounds N] [--json FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${SPELL_PEERS_BUILD:-build-peers}

# The peers are development dependencies pinned in package-lock.json.
for peer in nspell typo-js hunspell-asm; do
  if [[ ! -d node_modules/$peer ]]; then
    npm install --no-audit --no-fund --ignore-scripts --loglevel=error
    break
  fi
done
for needed in /usr/share/games/fortunes /usr/share/games/fortunes/de /usr/share/hunspell/de_DE.dic \
  /usr/share/hunspell/nl_NL.dic /usr/include/hunspell/hunspell.hxx; do
  if [[ ! -e $needed ]]; then
    echo "bench: $needed is missing (fortunes, fortunes-de, hunspell-de-de, hunspell-nl," \
      "libhunspell-dev): run scripts/setup.sh" >&2
    exit 1
  fi
done

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPELL_BUILD_TESTS=OFF -DSPELL_BUILD_MODULE=ON \
  -DSPELL_BUILD_BENCH=ON >/dev/null
nice -n 10 cmake --build "$build_dir" -j"$(nproc)" --target spellchecker_module \
  bench_hunspell_direct bench_hunspell_system bench_whole_text bench_napi_floor bench_spell_inside
installed=()
if [[ " $* " != *" --installed "* ]]; then
  package_dir=$(mktemp -d "${TMPDIR:-/tmp}/spellchecker-bench.XXXXXX")
  trap 'rm -rf "$package_dir"' EXIT
  scripts/prebuild.sh --pack-destination "$package_dir" linux-x64 >/dev/null
  (cd "$package_dir" && npm init -y >/dev/null &&
    npm install --no-audit --no-fund --loglevel=error ./native-spellchecker-*.tgz)
  installed=(--installed "$package_dir/node_modules/native-spellchecker")
fi
node bench/peers/run.mjs --build "$build_dir" "${installed[@]}" "$@"
