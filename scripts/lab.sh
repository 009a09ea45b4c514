#!/usr/bin/env bash
# The hardware lab: boots Debian's kernel in QEMU with emulated SATA, ATAPI, SCSI, NVMe and
# USB devices and runs zorvane-cli there against the kernel's own drivers, next to the
# platform's tools (smartctl, sg3_utils, nvme-cli, blkid, eject) asked the same question.
# The guest prints one PASS/FAIL line per case and `N passed, M failed`; this script exits
# non-zero when a case failed or the guest did not finish.
#
#   scripts/lab.sh [BUILD_FOLDER]      (default: build; zorvane-cli is BUILD_FOLDER/src/zorvane-cli)
#
# Environment: ZV_LAB_CACHE (downloads and disk images, default /var/tmp/zorvane-lab),
# ZV_LAB_ACCEL (kvm or tcg; default kvm when /dev/kvm can be used), ZV_LAB_TIMEOUT (seconds
# the guest may run, default 280), ZV_LAB_KEEP=1 keeps the run folder for a look afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
cli="$build/src/zorvane-cli"
cache=${ZV_LAB_CACHE:-/var/tmp/zorvane-lab}
lab="$here/tests/lab"

skip() { echo "lab skipped: $*"; exit 0; }
die() { echo "lab: $*" >&2; exit 1; }

[ -x "$cli" ] || die "no zorvane-cli in $build/src (build it first)"

# Packages from Debian's archive: the emulator, the guest's userland and the peer tools.
packages=(qemu-system-x86 busybox-static kmod cpio xorriso smartmontools sg3-utils nvme-cli jq
          util-linux eject fdisk e2fsprogs dosfstools)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  [ "$(id -u)" -eq 0 ] || skip "needs root to install ${missing[*]}"
  echo "lab: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[ "$(id -u)" -eq 0 ] || skip "needs root (the guest's disk images and the device checks)"
command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not available"

mkdir -p "$cache"
started=$(date +%s)

# --- The kernel: the image package that linux-image-amd64 names, unpacked, never installed.
kernelPackage=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
[ -n "$kernelPackage" ] || die "apt-cache names no kernel image behind linux-image-amd64"
kernelVersion=${kernelPackage#linux-image-}
kernelTree="$cache/$kernelPackage"
if [ ! -e "$kernelTree/.complete" ]; then
  echo "lab: fetching $kernelPackage"
  rm -rf "$kernelTree" && mkdir -p "$kernelTree"
  (cd "$cache" && rm -f "${kernelPackage}"_*.deb && apt-get download -qq "$kernelPackage")
  dpkg -x "$cache/${kernelPackage}"_*.deb "$kernelTree"
  rm -f "$cache/${kernelPackage}"_*.deb
  depmod -b "$kernelTree" "$kernelVersion"
  touch "$kernelTree/.complete"
fi
vmlinuz="$kernelTree/boot/vmlinuz-$kernelVersion"
[ -r "$vmlinuz" ] || die "no kernel image in $kernelTree"

# --- Disk images, made once. The guest writes to temporary overlays (snapshot=on): the
# cached images stay as made.
"$lab/make_images.sh" "$cache/images"

# --- The initramfs, made every run (zorvane-cli changes).
run=$(mktemp -d /tmp/zorvane-lab.XXXXXX)
qemuPid=
cleanup() {
  if [ -n "$qemuPid" ] && kill -0 "$qemuPid" 2>/dev/null; then kill "$qemuPid" 2>/dev/null || true; fi
  if [ "${ZV_LAB_KEEP:-0}" = 1 ]; then echo "lab: run folder kept: $run"; else rm -rf "$run"; fi
}
trap cleanup EXIT
"$lab/make_initramfs.sh" "$kernelTree" "$kernelVersion" "$cli" "$run/root" "$run/initrd.gz"

# --- The emulator.
# KVM only when a guest really runs under it: /dev/kvm may exist and yet stall a guest (a
# nested hypervisor without the features the guest needs). The probe boots the kernel
# without a root file system: it reaches its own banner within seconds when KVM works.
accel=${ZV_LAB_ACCEL:-}
if [ -z "$accel" ]; then
  accel=tcg
  if [ -c /dev/kvm ] && [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
    timeout 10 qemu-system-x86_64 -machine q35,accel=kvm -m 256 -display none -nodefaults -no-user-config \
      -no-reboot -kernel "$vmlinuz" -append "console=ttyS0 panic=-1 loglevel=4" \
      -serial file:"$run/kvm-probe.log" >/dev/null 2>&1 || true
    if grep -q "Kernel panic\|VFS: Unable" "$run/kvm-probe.log" 2>/dev/null; then accel=kvm; fi
  fi
fi
echo "lab: kernel $kernelVersion, accelerator $accel"

mkfifo "$run/qmp.in" "$run/qmp.out" "$run/ctl.in" "$run/ctl.out"
exec {qmpIn}<>"$run/qmp.in" {qmpOut}<>"$run/qmp.out" {ctlIn}<>"$run/ctl.in" {ctlOut}<>"$run/ctl.out"

images="$cache/images"
qemu-system-x86_64 \
  -machine q35,accel="$accel" -m 768 -smp 1 -display none -nodefaults -no-user-config -no-reboot \
  -kernel "$vmlinuz" -initrd "$run/initrd.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" \
  -serial file:"$run/console.log" \
  -chardev pipe,id=ctl,path="$run/ctl" -serial chardev:ctl \
  -chardev pipe,id=qmp,path="$run/qmp" -mon chardev=qmp,mode=control \
  -drive file="$images/sata.img",if=none,id=sata0,format=raw,snapshot=on \
  -device ide-hd,drive=sata0,bus=ide.0,model="ZVLAB SATA DISK",serial=ZVSATA0001 \
  -drive file="$images/dvd.iso",if=none,id=dvd0,media=cdrom,format=raw,readonly=on \
  -device ide-cd,drive=dvd0,bus=ide.1,id=atapi0 \
  -drive file="$images/nvme.img",if=none,id=nvme0,format=raw,snapshot=on \
  -device nvme,drive=nvme0,serial=ZVNVME0001 \
  -device qemu-xhci,id=xhci \
  -drive file="$images/usb.img",if=none,id=usb0,format=raw,snapshot=on \
  -device usb-storage,bus=xhci.0,drive=usb0,serial=ZVUSB0001 \
  -drive file="$images/stick.img",if=none,id=usb1,format=raw,snapshot=on \
  -device usb-storage,bus=xhci.0,drive=usb1,serial=ZVSTICK0001,removable=on \
  -device virtio-scsi-pci,id=vscsi \
  -drive file="$images/cd.iso",if=none,id=cd1,media=cdrom,format=raw,readonly=on \
  -device scsi-cd,bus=vscsi.0,drive=cd1,id=scsicd0 \
  >"$run/qemu.log" 2>&1 &
qemuPid=$!

# --- The host's side of the conversation: the guest asks on its second serial port for
# QEMU's view of a drive (tray, lock, medium) or for a change of medium; the answers come
# from QMP.
qmp() {  # one command; prints its "return" line
  local line
  printf '%s\n' "$1" >&"$qmpIn"
  while IFS= read -r -t 20 line <&"$qmpOut"; do
    case $line in *'"return"'*|*'"error"'*) printf '%s\n' "$line"; return 0 ;; esac
  done
  return 1
}
IFS= read -r -t 30 greeting <&"$qmpOut" || die "QEMU did not start: $(cat "$run/qemu.log")"
qmp '{"execute":"qmp_capabilities"}' >/dev/null

# "tray=open|closed locked=yes|no medium=yes|no" for the drive whose qdev id is $1.
driveState() {
  local answer entry
  answer=$(qmp '{"execute":"query-block"}') || { echo "no-answer"; return; }
  # One object per drive; split at the device names and take the one for this drive.
  entry=$(printf '%s' "$answer" | sed 's/{"io-status"/\n&/g; s/{"device"/\n&/g' | grep -F "\"qdev\": \"$1\"" | head -n1 || true)
  if [ -z "$entry" ]; then
    entry=$(printf '%s' "$answer" | sed 's/{"io-status"/\n&/g; s/{"device"/\n&/g' | grep -F "/$1/" | head -n1 || true)
  fi
  [ -n "$entry" ] || { echo "unknown-drive"; return; }
  local tray=closed locked=no medium=no
  case $entry in *'"tray_open": true'*) tray=open ;; esac
  case $entry in *'"locked": true'*) locked=yes ;; esac
  case $entry in *'"inserted"'*) medium=yes ;; esac
  echo "tray=$tray locked=$locked medium=$medium"
}

result=
deadline=$(( $(date +%s) + ${ZV_LAB_TIMEOUT:-280} ))
while kill -0 "$qemuPid" 2>/dev/null; do
  [ "$(date +%s)" -lt "$deadline" ] || { echo "lab: the guest did not finish in time"; kill "$qemuPid"; break; }
  IFS= read -r -t 1 request <&"$ctlOut" || continue
  request=${request%$'\r'}
  set -- $request
  case ${1:-} in
    STATE) reply=$(driveState "$2") ;;
    REMOVE)  # take the disc out of drive $2 and close its tray again: an empty drive
      qmp "{\"execute\":\"blockdev-open-tray\",\"arguments\":{\"id\":\"$2\",\"force\":true}}" >/dev/null
      qmp "{\"execute\":\"blockdev-remove-medium\",\"arguments\":{\"id\":\"$2\"}}" >/dev/null
      qmp "{\"execute\":\"blockdev-close-tray\",\"arguments\":{\"id\":\"$2\"}}" >/dev/null
      reply=$(driveState "$2") ;;
    RESULT) result=${2:-}; reply=ok ;;
    *) reply="unknown-request" ;;
  esac
  printf '%s\n' "$reply" >&"$ctlIn"
done
wait "$qemuPid" || true
qemuPid=

ended=$(date +%s)
# The guest's report: the lines between its markers.
sed -n '/^=== lab cases ===/,/^=== lab end ===/p' "$run/console.log" | tr -d '\r' | grep -v '^=== '
echo "lab: wall time $((ended - started)) s (accelerator $accel)"
if [ -z "$result" ]; then
  echo "lab: the guest gave no result; its console:"
  tr -d '\r' < "$run/console.log" | tail -n 60
  cat "$run/qemu.log"
  exit 1
fi
[ "$result" = 0 ] || exit 1
