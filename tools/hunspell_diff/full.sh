#!/usr/bin/env bash
# The full differential run: the patched Hunspell against the unpatched source on every Hunspell
# dictionary that Debian packages (the hunspell-* and myspell-* packages this machine's apt
# knows), with running text from the packages that hunspell_diff.js names. The packages are
# fetched with apt-get download and unpacked side by side into the cache, never installed: several
# of them conflict with each other. Each package is fetched once per version.
# Usage: tools/hunspell_diff/full.sh [build-dir (default build, configured with the tests)]
#        [hunspell_diff.js options...]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build_dir=${1:-build}
shift || true
cache=${SPELL_CACHE:-/var/cache/native-spellchecker}/debian-dictionaries
tool=$root/tools/hunspell_diff

if [[ ! -f $build_dir/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build_dir" --target hunspell_diff_patched hunspell_diff_unpatched -j2 >/dev/null

mapfile -t packages < <(apt-cache search --names-only '^(hunspell|myspell)-' | awk '{print $1}' |
  grep -vx 'hunspell-tools' | sort)
if ((${#packages[@]} == 0)); then
  echo "full.sh: apt knows no dictionary packages; run apt-get update first" >&2
  exit 1
fi
mapfile -t -O "${#packages[@]}" packages < <(node "$tool/hunspell_diff.js" --text-packages)

mkdir -p "$cache/debs" "$cache/root"
# The file name of each package's candidate version, as apt-get download names it.
declare -A file_of
while read -r _ file _; do
  file_of[${file%%_*}]=$file
done < <(apt-get download -qq --print-uris "${packages[@]}")
missing=()
for package in "${packages[@]}"; do
  [[ -f $cache/debs/${file_of[$package]} ]] || missing+=("$package")
done
if ((${#missing[@]})); then
  # As root into a directory the sandbox user cannot write; apt checks each file all the same.
  (cd "$cache/debs" && apt-get download -q -o APT::Sandbox::User=root "${missing[@]}" >&2)
fi
for package in "${packages[@]}"; do
  file=${file_of[$package]}
  unpacked=$cache/root/$package
  [[ -f $unpacked/.deb && $(<"$unpacked/.deb") == "$file" ]] && continue
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  dpkg-deb -x "$cache/debs/$file" "$unpacked"
  echo "$file" >"$unpacked/.deb"
done

exec node "$tool/hunspell_diff.js" --full "$cache/root" \
  --patched "$build_dir/tools/hunspell_diff/hunspell_diff_patched" \
  --unpatched "$build_dir/tools/hunspell_diff/hunspell_diff_unpatched" "$@"
