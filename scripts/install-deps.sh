#!/usr/bin/env bash
# Installs the Debian 12 packages that Zorvane needs, when they are missing. Runs apt-get
# through sudo when not root.
#   scripts/install-deps.sh          what building and running the programs need
#   scripts/install-deps.sh --tests  that, and what the tests and the package checks need
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  nlohmann-json3-dev libblkid-dev libudev-dev libjpeg62-turbo-dev
  # the program's helpers on the real machine
  util-linux eject xdg-utils e2fsprogs
)
test_packages=(
  libgtest-dev libgmock-dev
  # partition tables written to image files by the disk layout tests
  fdisk
  # tests on the real kernel (loop images, FUSE mounts) and the window's screenshot
  xfsprogs btrfs-progs dosfstools exfatprogs exfat-fuse ntfs-3g fusefat fuse3 psmisc sshfs openssh-server openssh-client
  xvfb xauth fonts-dejavu-core fio locales
  # the fault tests (tests/faults_root): a process held between reading and saving a file
  strace
  # the main window's screenshot (scripts/screenshot.sh)
  imagemagick x11-utils xdotool
  # packaging: the .deb (scripts/package.sh), its checks and the install-tree test
  dpkg-dev file lintian desktop-file-utils appstream bash-completion librsvg2-bin
  # the fuzz targets (scripts/fuzz.sh): clang 14 and its libFuzzer and sanitizer runtimes
  clang-14 libclang-rt-14-dev
)

case "${1:-}" in
  --tests) packages+=("${test_packages[@]}") ;;
  "") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

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
