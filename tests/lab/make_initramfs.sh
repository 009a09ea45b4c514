#!/usr/bin/env bash
# The lab guest's initramfs: busybox, the kernel modules the emulated devices need (with
# every module they depend on, in an order that loads dependencies first), zorvane-cli and
# the peer tools with their shared libraries, and the guest's scripts.
#   make_initramfs.sh KERNEL_TREE KERNEL_VERSION ZORVANE_CLI STAGING_FOLDER OUTPUT.gz
set -euo pipefail
tree=$1 version=$2 cli=$3 root=$4 output=$5
lab=$(cd "$(dirname "$0")" && pwd)
moduleDir="lib/modules/$version"

rm -rf "$root"
mkdir -p "$root"/{bin,sbin,usr/bin,usr/sbin,proc,sys,dev,run,tmp,mnt,root,lab,lib64,"$moduleDir"}

# busybox makes its applet links at boot (init does `busybox --install -s`).
cp /bin/busybox "$root/bin/busybox"

# A program and every shared library it loads, at the same paths as on this machine.
copyProgram() {
  local program=$1 target=$2 library
  cp -L "$program" "$root$target"
  for library in $(ldd "$program" | grep -o '/[^ ]*'); do
    [ -e "$root$library" ] && continue
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
}
copyProgram "$cli" /usr/bin/zorvane-cli
for tool in smartctl sg_inq sg_modes sg_get_config sg_raw nvme jq eject blkid; do
  path=$(command -v "$tool") || { echo "make_initramfs: $tool is missing" >&2; exit 1; }
  copyProgram "$path" "$path"
done

# The modules: each wanted one after its dependencies (modules.dep lists every module a
# module needs; these are visited first, depth first).
wanted=(ahci sd_mod sr_mod sg nvme xhci_pci usb_storage uas virtio_pci virtio_scsi
        ext4 crc32c_generic isofs vfat nls_cp437 nls_iso8859_1 nls_utf8 nls_ascii)
declare -A pathOf depsOf placed
while IFS= read -r line; do
  module=${line%%:*}
  name=$(basename "$module" .ko)
  name=${name//-/_}
  pathOf[$name]=$module
  depsOf[$module]=${line#*:}
done < "$tree/$moduleDir/modules.dep"

order=()
place() {
  local module=$1 dep
  [ -n "${placed[$module]:-}" ] && return
  placed[$module]=1
  for dep in ${depsOf[$module]}; do place "$dep"; done
  order+=("$module")
}
for name in "${wanted[@]}"; do
  module=${pathOf[$name]:-}
  [ -n "$module" ] || { echo "make_initramfs: no module $name in $version" >&2; exit 1; }
  place "$module"
done
: > "$root/lab/modules.order"
for module in "${order[@]}"; do
  mkdir -p "$root/$moduleDir/$(dirname "$module")"
  cp "$tree/$moduleDir/$module" "$root/$moduleDir/$module"
  echo "/$moduleDir/$module" >> "$root/lab/modules.order"
done

cp "$lab/init.sh" "$root/init"
cp "$lab/guest.sh" "$root/lab/guest.sh"
chmod +x "$root/init" "$root/lab/guest.sh"

(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$output"
