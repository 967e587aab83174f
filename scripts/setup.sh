#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root): the Debian
# packages that are missing, then the npm packages from package-lock.json.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # build
  cmake make g++ pkg-config clang-format patch
  # core library (Hunspell itself is built from its source package: scripts/hunspell_source.sh)
  libenchant-2-dev libuv1-dev libglib2.0-dev
  # dictionaries used by the demo and the tests
  hunspell-en-us hunspell-pl
  # the peer benchmark's second and third languages, and its second baseline: the system's own
  # Hunspell library (Debian 12: 1.7.1) called directly; with the above, the dictionaries of the
  # short differential run of the patched Hunspell against the unpatched source
  hunspell-de-de hunspell-nl libhunspell-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the shell tests' private session bus and the fake desktop service on it
  dbus-daemon python3-gi gir1.2-glib-2.0
  # checks that the committed character-class table matches its generator
  python3
  # English, German and Dutch text for the peer benchmark's corpora
  fortunes fortunes-de debian-faq-nl aptitude-doc-nl manpages-nl
  # Windows cross builds (zig comes from npm; llvm-14's readobj checks the binaries; openssl
  # checks the fetched node.exe) and the wine run of the Windows tests
  llvm-14 ninja-build openssl wine64
  # the ARM64 run: an arm64 Debian root made by debootstrap, run by qemu-user through binfmt_misc
  qemu-user-static binfmt-support debootstrap
  # fuzz targets (libFuzzer and the sanitizer runtimes of clang 14) and memory checking
  clang-14 libclang-rt-14-dev valgrind
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

retry() {
  local attempt
  for attempt in 1 2 3 4; do
    "$@" && return 0
    echo "setup: '$*' failed (attempt $attempt); retrying" >&2
    sleep $((attempt * 5))
  done
  "$@"
}

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  retry apt-get update -qq
  retry apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

retry npm ci --no-audit --no-fund --loglevel=error

# Hunspell's source package, into the cache that every build reads it from.
scripts/hunspell_source.sh >/dev/null
