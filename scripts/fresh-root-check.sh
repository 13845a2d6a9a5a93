#!/usr/bin/env bash
# Runs one of the README's commands as a new user would, on a fresh Debian 12
# root that holds nothing the scripts install, with no locale set:
#
#   scripts/fresh-root-check.sh run|test PRISTINE WORK
#   scripts/fresh-root-check.sh remove WORK
#
# PRISTINE: a root made once with
#   debootstrap --variant=minbase bookworm PRISTINE http://deb.debian.org/debian
# and never touched afterwards. WORK (a new folder) receives a copy of it and a
# clone of this repository's HEAD at /root/spruce; the command then runs there
# in a chroot with nothing in its environment but HOME and PATH. Only /proc,
# /sys and /dev are shared with the host. Afterwards every process left in the
# root is ended and everything mounted under it is unmounted; WORK is kept for
# reading its logs; "remove" takes it away safely.
set -euo pipefail
usage() { echo "usage: $0 run|test PRISTINE WORK, or $0 remove WORK" >&2; exit 2; }
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Ends the root's processes (Wine's server outlives the command), then
# unmounts in reverse order. Removing a root while its /dev is still bound
# would empty the host's /dev, so removal refuses while anything is mounted.
release_root() {
  local root=$1 pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null || true
  done
  sleep 1
  { grep -F " $root/" /proc/mounts || true; } | awk '{print $2}' | sort -r | while read -r m; do
    umount -l "$m" 2>/dev/null || true
  done
}
remove_root() {
  local root=$1
  release_root "$root"
  if grep -qF " $root/" /proc/mounts; then
    echo "$0: still mounted under $root; not removed" >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}

command=${1:-}
case "$command" in
  remove)
    [ $# = 2 ] || usage
    remove_root "$(cd "$2" && pwd)"
    exit ;;
  run | test) [ $# = 3 ] || usage ;;
  *) usage ;;
esac
pristine=$(cd "$2" && pwd)
work=$3
[ -e "$work" ] && { echo "$0: $work exists" >&2; exit 2; }

mkdir -p "$work"
work=$(cd "$work" && pwd)
cp -a "$pristine/." "$work/"
git clone -q "$ROOT" "$work/root/spruce"
git -C "$work/root/spruce" checkout -q "$(git -C "$ROOT" rev-parse HEAD)"
cp /etc/resolv.conf "$work/etc/resolv.conf"
trap 'release_root "$work"' EXIT
mount -t proc proc "$work/proc"
mount --rbind /sys "$work/sys" && mount --make-rslave "$work/sys"
mount --rbind /dev "$work/dev" && mount --make-rslave "$work/dev"

start=$(date +%s)
status=0
chroot "$work" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c "cd /root/spruce && scripts/$command.sh" >"$work/root/$command.log" 2>&1 </dev/null || status=$?
echo "fresh root: scripts/$command.sh exited $status after $(($(date +%s) - start)) s; log: $work/root/$command.log"
tail -n 15 "$work/root/$command.log"
exit $status
