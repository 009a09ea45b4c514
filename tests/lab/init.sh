#!/bin/busybox sh
# The lab guest's first process: mounts the kernel's file systems, loads the drivers of the
# emulated devices, waits for their disks and runs the cases. Powers the machine off at the
# end, also when the cases fail.
/bin/busybox --install -s
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /run
mount -t tmpfs tmpfs /tmp
while read -r module; do
  insmod "$module" 2>/dev/null || echo "lab: could not load $module"
done < /lab/modules.order
sh /lab/guest.sh
echo "=== lab end ==="
sync
poweroff -f
