// Mount tables through libmount: it unescapes the fields (\040 ...) and knows the optional
// fields of mountinfo, which a hand-written parser easily gets wrong.
#include "platform/linux/mount_table.h"

#include <libmount/libmount.h>
#include <sys/sysmacros.h>

#include <memory>

namespace zv::lnx {

namespace {

int ignoreParseError(struct libmnt_table*, const char*, int) { return 1; }  // skip the line

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

bool hasOption(const std::string& options, const std::string& name) {
    size_t pos = 0;
    while (pos <= options.size()) {
        size_t end = options.find(',', pos);
        if (end == std::string::npos) end = options.size();
        std::string item = options.substr(pos, end - pos);
        if (item == name || item.rfind(name + "=", 0) == 0) return true;
        pos = end + 1;
    }
    return false;
}

std::vector<MountEntry> readTable(const std::string& path, bool fstab) {
    std::vector<MountEntry> entries;
    std::unique_ptr<libmnt_table, void (*)(libmnt_table*)> table(mnt_new_table(), mnt_unref_table);
    if (!table) return entries;
    mnt_table_set_parser_errcb(table.get(), ignoreParseError);
    int rc = fstab ? mnt_table_parse_fstab(table.get(), path.c_str()) : mnt_table_parse_file(table.get(), path.c_str());
    if (rc != 0) return entries;
    std::unique_ptr<libmnt_iter, void (*)(libmnt_iter*)> iter(mnt_new_iter(MNT_ITER_FORWARD), mnt_free_iter);
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
        MountEntry entry;
        entry.id = mnt_fs_get_id(fs);
        entry.parentId = mnt_fs_get_parent_id(fs);
        dev_t devno = mnt_fs_get_devno(fs);
        entry.major = major(devno);
        entry.minor = minor(devno);
        entry.root = text(mnt_fs_get_root(fs));
        entry.target = text(mnt_fs_get_target(fs));
        entry.source = text(mnt_fs_get_source(fs));
        entry.fsType = text(mnt_fs_get_fstype(fs));
        entry.options = fstab ? text(mnt_fs_get_options(fs)) : text(mnt_fs_get_vfs_options(fs));
        entry.readOnly = hasOption(entry.options, "ro");
        entry.netfs = mnt_fs_is_netfs(fs) == 1 || isNetworkFsType(entry.fsType);
        entry.pseudo = mnt_fs_is_pseudofs(fs) == 1;
        entry.netdev = hasOption(text(mnt_fs_get_options(fs)), "_netdev");
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

std::vector<MountEntry> readMountTable(const std::string& path) { return readTable(path, false); }
std::vector<MountEntry> readFstab(const std::string& path) { return readTable(path, true); }

bool isNetworkFsType(const std::string& t) {
    static const char* const kTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "afs", "ncpfs", "ceph",
                                         "glusterfs", "davfs", "lustre", "9p", "fuse.sshfs",
                                         "fuse.curlftpfs", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs"};
    for (const char* known : kTypes)
        if (t == known) return true;
    return t.rfind("nfs", 0) == 0 && t != "nfsd";
}

bool isRamFsType(const std::string& t) { return t == "tmpfs" || t == "ramfs"; }

}  // namespace zv::lnx
