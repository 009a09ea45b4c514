#!/usr/bin/env bash
# The lab's disk images, made once into FOLDER and kept (made again only when missing):
#   sata.img  200 GiB sparse SATA disk, MBR: ext4 "ZVSATA" + FAT32 "ZVFAT" (beyond 128 GiB,
#             so its size needs IDENTIFY's 48-bit words)
#   nvme.img  NVMe disk, GPT: ext4 "ZVNVME" + FAT "ZVESP" (an EFI System partition)
#   usb.img   USB disk (fixed medium), MBR: FAT "ZVUSB"
#   stick.img USB stick (removable medium), MBR: FAT "ZVSTICK"
#   dvd.iso   ISO 9660 "ZVDVD", padded beyond a CD's size so that drives report a DVD-ROM
#   cd.iso    ISO 9660 "ZVCD", CD-sized
set -euo pipefail
out=$1
mkdir -p "$out"
mib=$((1024 * 1024))

# A file system of SIZE_MIB made by COMMAND... in a file of its own, copied into IMAGE at
# START_MIB.
placeFileSystem() {
  local image=$1 startMib=$2 sizeMib=$3; shift 3
  local part="$image.part"
  rm -f "$part"
  truncate -s $((sizeMib * mib)) "$part"
  "$@" "$part" >/dev/null
  dd if="$part" of="$image" bs=1M seek="$startMib" conv=notrunc,sparse status=none
  rm -f "$part"
}

make_sata() {
  local image="$out/sata.img.new"
  rm -f "$image"
  truncate -s 200G "$image"
  printf 'label: dos\nstart=2048, size=%d, type=83\nstart=%d, size=%d, type=c\n' \
    $((48 * 2048)) $((49 * 2048)) $((40 * 2048)) | sfdisk -q "$image"
  placeFileSystem "$image" 1 48 mkfs.ext4 -q -F -L ZVSATA -O ^has_journal
  placeFileSystem "$image" 49 40 mkfs.vfat -F 32 -n ZVFAT
  mv "$image" "$out/sata.img"
}

make_nvme() {
  local image="$out/nvme.img.new"
  rm -f "$image"
  truncate -s 96M "$image"
  printf 'label: gpt\nstart=2048, size=%d, type=0FC63DAF-8483-4772-8E79-3D69D8477DE4, name=data\nstart=%d, size=%d, type=C12A7328-F81F-11D2-BA4B-00A0C93EC93B, name=esp\n' \
    $((48 * 2048)) $((49 * 2048)) $((40 * 2048)) | sfdisk -q "$image"
  placeFileSystem "$image" 1 48 mkfs.ext4 -q -F -L ZVNVME -O ^has_journal
  placeFileSystem "$image" 49 40 mkfs.vfat -n ZVESP
  mv "$image" "$out/nvme.img"
}

make_usb() {  # NAME LABEL
  local image="$out/$1.img.new"
  rm -f "$image"
  truncate -s 64M "$image"
  printf 'label: dos\nstart=2048, type=c\n' | sfdisk -q "$image"
  placeFileSystem "$image" 1 62 mkfs.vfat -n "$2"
  mv "$image" "$out/$1.img"
}

make_iso() {  # NAME LABEL PAD_BYTES
  local content="$out/$1.content"
  rm -rf "$content" && mkdir -p "$content"
  echo "Zorvane lab disc $2" > "$content/readme.txt"
  head -c 300000 /dev/urandom > "$content/data.bin"
  xorriso -as mkisofs -quiet -V "$2" -o "$out/$1.iso.new" "$content" 2>/dev/null
  [ "$3" = 0 ] || truncate -s "$3" "$out/$1.iso.new"
  rm -rf "$content"
  mv "$out/$1.iso.new" "$out/$1.iso"
}

[ -e "$out/sata.img" ] || make_sata
[ -e "$out/nvme.img" ] || make_nvme
[ -e "$out/usb.img" ] || make_usb usb ZVUSB
[ -e "$out/stick.img" ] || make_usb stick ZVSTICK
[ -e "$out/dvd.iso" ] || make_iso dvd ZVDVD $((1024 * mib))
[ -e "$out/cd.iso" ] || make_iso cd ZVCD 0
