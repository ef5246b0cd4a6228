#!/usr/bin/env bash
# Installs the Debian package of a build on a clean Debian 12 root and runs the
# program from it: debootstrap (minbase) into a temporary folder, dpkg -i, then
# apt-get -f install for the dependencies, the post-install step's capability, and
# the installed program's --version. With an IP range, an unattended search of it
# runs there too, as root and as a normal user (e.g. the Samba test hosts:
# KESTROVA_TEST_NET=127.0.43 ... "127.0.43.2-127.0.43.3"). Needs root and the
# Debian archive; takes a few minutes. The root is removed at the end unless
# KEEP_ROOT=1.
#
#   scripts/deb-clean-root.sh build/kestrova_1.0.0_amd64.deb [FIRST-LAST]
set -euo pipefail

package=$(realpath "$1")
range=${2:-}
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "needs debootstrap (apt-get install debootstrap)" >&2; exit 1; }

root=$(mktemp -d /tmp/kestrova-clean-root-XXXXXX)
chmod 755 "$root" # mktemp makes it 0700: a normal user could not reach / inside
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" || true; done
  if [ "${KEEP_ROOT:-0}" != 1 ]; then rm -rf --one-file-system "$root"; else echo "root kept: $root"; fi
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

step() { printf '\n== %s\n' "$*"; }

step "debootstrap --variant=minbase bookworm $root"
started=$(date +%s)
debootstrap --variant=minbase bookworm "$root" >/tmp/kestrova-debootstrap.log 2>&1 \
  || { tail -n 20 /tmp/kestrova-debootstrap.log >&2; exit 1; }
echo "done in $(($(date +%s) - started)) s"
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount --bind /dev "$root/dev" && mounted+=("$root/dev")
cp /etc/resolv.conf "$root/etc/resolv.conf"
# No services start inside the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d" && chmod +x "$root/usr/sbin/policy-rc.d"
cp "$package" "$root/tmp/kestrova.deb"

step "dpkg -i kestrova.deb (the dependencies are still missing)"
in_root dpkg -i /tmp/kestrova.deb || echo "dpkg -i ended with status $? (expected: dependencies missing)"

step "apt-get -f install"
in_root env DEBIAN_FRONTEND=noninteractive apt-get -f install -y -q >/tmp/kestrova-apt-f.log 2>&1 \
  || { tail -n 30 /tmp/kestrova-apt-f.log >&2; exit 1; }
grep -E "^(Setting up kestrova|kestrova:)" /tmp/kestrova-apt-f.log || true
in_root dpkg-query -W -f='${Package} ${Version} ${Status}\n' kestrova

step "installed files and capability"
in_root sh -c 'ls -l /usr/bin/kestrova /usr/libexec/kestrova/kestrova-smb-agent; \
  command -v getcap >/dev/null && getcap /usr/bin/kestrova || echo "getcap not installed"'

step "kestrova --version (in the clean root)"
in_root /usr/bin/kestrova --version

if [ -n "$range" ]; then
  in_root useradd --create-home searcher 2>/dev/null || true
  for user in root searcher; do
    step "unattended search of $range as $user"
    in_root su "$user" -s /bin/sh -c "cd && /usr/bin/kestrova '/range:$range' '/mask:*.txt' \
      '/exportcsv:found.csv' /hide /close; echo \"exit status \$?\"; \
      echo \"settings: \$(ls ~/.config/kestrova/kestrova.ini)\"; echo \"hits: \$(wc -l < found.csv)\"; head -n 3 found.csv"
  done
fi
