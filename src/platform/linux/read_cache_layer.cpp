#include "platform/linux/read_cache_layer.h"

#include "platform/linux/mount_table.h"
#include "platform/linux/sysfs.h"

namespace zv::lnx {

namespace {

// A loop device reads its backing file through the host's page cache unless it was set
// up for direct I/O ("losetup --direct-io=on"): the kernel shows that in loop/dio.
std::string loopLayer(const DriveTarget& target) {
    if (target.sysfsDisk.empty() || !pathExists(target.sysfsDisk + "/loop")) return {};
    if (readAttribute(target.sysfsDisk + "/loop/dio") == "1") return {};
    const std::string backing = readAttribute(target.sysfsDisk + "/loop/backing_file");
    return "a loop device reading " + (backing.empty() ? std::string("its backing file") : backing) +
           " through the page cache";
}

}  // namespace

std::string readCacheLayer(const DriveTarget& target) {
    if (target.network || isNetworkFsType(target.fsType)) return "a network file system (" + target.fsType + ")";
    if (target.fsType == "fuse" || target.fsType.rfind("fuse.", 0) == 0 || target.fsType == "fuseblk")
        return "a FUSE file system, whose daemon may read through the page cache";
    return loopLayer(target);
}

}  // namespace zv::lnx
