#!/usr/bin/env bash
# Runs the README's commands in a fresh Debian 12 root (debootstrap minbase + git), as a new user
# would after a clone. Usage: fresh-machine.sh [REPO] [COMMAND...]; default commands are the README's two.
# Needs root. The base root is made once and kept as a tarball; every run unpacks a fresh copy.
# Run from the project's root: tools/ci/fresh-machine.sh
set -euo pipefail
repo=$(realpath "${1:-.}"); shift || true
base=/tmp/fresh-base.tar root=/tmp/fresh-run
if [ ! -f "$base" ]; then
  command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
  mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  rm -rf /tmp/fresh-base && debootstrap --variant=minbase bookworm /tmp/fresh-base "$mirror" >/dev/null
  tar -C /tmp/fresh-base -cf "$base" . && rm -rf /tmp/fresh-base
fi
cleanup() { umount -R "$root/proc" "$root/sys" "$root/dev" "$root/src" 2>/dev/null || true; }
trap cleanup EXIT
cleanup; rm -rf "$root"; mkdir -p "$root"; tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/"
mkdir -p "$root/src"
mount -t proc proc "$root/proc"; mount --rbind /sys "$root/sys"; mount --rbind /dev "$root/dev"
mount --bind "$repo" "$root/src"; mount -o remount,bind,ro "$root/src"
cmds=("$@")
((${#cmds[@]})) || cmds=("tools/run.sh --script docs/examples/repeat-three-tracks.txt" "tools/test-all.sh")
chroot "$root" bash -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git ca-certificates >/dev/null && git clone -q /src /root/project' 
for c in "${cmds[@]}"; do
  echo "=== fresh machine: $c"
  s=$SECONDS
  if chroot "$root" bash -c "cd /root/project && $c"; then rc=0; else rc=$?; fi
  echo "=== fresh machine: '$c' exit $rc after $((SECONDS - s)) s"
done
