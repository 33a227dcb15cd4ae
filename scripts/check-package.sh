#!/usr/bin/env bash
# Installs the Debian package (built by scripts/build-package.sh) on a clean Debian 12 made with
# debootstrap in build/clean-root, and programs the example firmware there with isp8252-cli on a
# simulated chip. Uses the Debian mirror this machine's apt is configured with. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(ls -1 build/package/isp8252_*.deb | head -n 1)
root=$PWD/build/clean-root
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list)

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
if [ ! -x "$root/usr/bin/apt-get" ]; then
  rm -rf "$root"
  debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
fi

mkdir -p "$root/tmp/check"
cp "$deb" "$root/tmp/check/"
cp examples/blink/blink.obj "$root/tmp/check/"
mount --bind /proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" /bin/sh -ec "
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends /tmp/check/$(basename "$deb") >/dev/null
  cd /tmp/check
  for p in isp8252 isp8252-sim isp8252-cli hex-bin; do command -v \$p; done
  ls /usr/share/applications/isp8252.desktop /usr/share/pixmaps/isp8252.xpm
  isp8252-cli --sim=chip.bin program blink.obj
  isp8252-cli --sim=chip.bin verify /usr/share/doc/isp8252/examples/blink/blink.obj
  isp8252-cli --sim=chip.bin read back.bin
  cp blink.obj converted.obj && hex-bin converted && cmp back.bin converted.bin && echo 'read back = firmware'
"
