# The Debian package (cpack -G DEB, see scripts/package.sh): the two programs and their
# data, with the libraries found by dpkg-shlibdeps and the helper programs the Linux
# backend runs. Nothing the tests need goes into it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zorvane developers")
set(CPACK_PACKAGE_CONTACT "The Zorvane developers <zorvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive utility: every drive in one list, with its tools")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvane lists every drive of the machine in one window, one row per drive
letter, with label, type, size, used and free space, file system, serial
number, visibility, vendor and product. From the list it ejects and loads
media, locks optical drive doors, hides drive letters, makes substitute letters
and maps network drives. Tool windows show disk information, S.M.A.R.T.
attributes, optical drive capabilities, a file-system check, a read benchmark,
the volumes and the USB disks.
.
The terminal program zorvane-cli gives the same answers as text or JSON.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zorvane.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# umount (mount) before an eject and for network drives, e2fsck for the check and e4defrag.
# util-linux is essential and needs no mention.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "mount, e2fsprogs")
# Explore and the web pages (xdg-open), safe removal of USB drives (udisksctl).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, udisks2")
# The checkers and defragmenters of further file systems, network drives and the desktop
# programs of the Tools menu.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "xfsprogs, btrfs-progs, dosfstools, exfatprogs, ntfs-3g, sshfs, cifs-utils, nfs-common, gvfs-backends, gvfs-fuse, deja-dup, gnome-disk-utility, catfish, wmctrl")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
