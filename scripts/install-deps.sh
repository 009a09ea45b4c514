#!/usr/bin/env bash
# Installs the Debian 12 packages that Zorvane's build, program and tests need, when they
# are missing. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  nlohmann-json3-dev libmount-dev libblkid-dev libudev-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev
  # the program's helpers on the real machine
  util-linux eject xdg-utils e2fsprogs
  # partition tables written to image files by the disk layout tests
  fdisk
  # tests on the real kernel (loop images, FUSE mounts) and the window's screenshot
  xfsprogs btrfs-progs dosfstools exfatprogs ntfs-3g fusefat fuse3 sshfs openssh-server openssh-client
  xvfb xauth fonts-dejavu-core fio locales
  # the fault tests (tests/faults_root): a process held between reading and saving a file
  strace
  # the main window's screenshot (scripts/screenshot.sh)
  imagemagick x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
