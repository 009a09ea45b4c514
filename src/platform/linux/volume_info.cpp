// File-system names, serials and flags.
#include "platform/linux/volume_info.h"

#include <cctype>

namespace zv::lnx {

using namespace zv::win;

std::string effectiveFsType(const std::string& mountedType, const VolumeIdentity& identity) {
    bool fuse = mountedType == "fuse" || mountedType == "fuseblk" || mountedType.rfind("fuse.", 0) == 0;
    if ((fuse || mountedType.empty()) && !identity.type.empty()) return identity.type;
    return mountedType;
}

std::string windowsFsName(const std::string& fsType, const std::string& version) {
    if (fsType == "ntfs" || fsType == "ntfs3" || fsType == "ntfs-3g") return "NTFS";
    if (fsType == "vfat" || fsType == "msdos" || fsType == "fat") return version == "FAT32" ? "FAT32" : "FAT";
    if (fsType == "exfat") return "exFAT";
    if (fsType == "iso9660") return "CDFS";
    if (fsType == "udf") return "UDF";
    if (fsType.rfind("fuse.", 0) == 0) return fsType.substr(5);
    return fsType;
}

namespace {
std::string hexDigits(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    return digits;
}
}  // namespace

DWORD volumeSerial(const std::string& fsType, const std::string& uuid) {
    std::string digits = hexDigits(uuid);
    if (digits.empty()) return 0;
    // NTFS: the 64-bit serial, of which Windows shows the low half (the last eight digits).
    if ((fsType == "ntfs" || fsType == "ntfs3") && digits.size() == 16) digits = digits.substr(8);
    if (digits.size() > 8) digits = digits.substr(0, 8);
    return DWORD(std::stoul(digits, nullptr, 16));
}

DWORD fileSystemFlags(const std::string& t, bool readOnly) {
    const DWORD posix = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK |
                        FILE_PERSISTENT_ACLS | FILE_SUPPORTS_SPARSE_FILES | FILE_SUPPORTS_REPARSE_POINTS;
    DWORD flags = 0;
    if (t == "ext4" || t == "ext3" || t == "xfs" || t == "jfs" || t == "reiserfs")
        flags = posix | FILE_VOLUME_QUOTAS;
    else if (t == "btrfs" || t == "zfs" || t == "bcachefs")
        flags = posix | FILE_VOLUME_QUOTAS | FILE_FILE_COMPRESSION;
    else if (t == "f2fs")
        flags = posix | FILE_FILE_COMPRESSION;
    else if (t == "ext2" || t == "tmpfs" || t == "ramfs" || t == "nilfs2" || t == "overlay")
        flags = posix;
    else if (t == "ntfs" || t == "ntfs3")
        flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK | FILE_PERSISTENT_ACLS |
                FILE_FILE_COMPRESSION | FILE_SUPPORTS_SPARSE_FILES | FILE_SUPPORTS_REPARSE_POINTS |
                FILE_SUPPORTS_OBJECT_IDS;
    else if (t == "vfat" || t == "msdos" || t == "exfat")
        flags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    else if (t == "iso9660")
        flags = FILE_UNICODE_ON_DISK | FILE_READ_ONLY_VOLUME;
    else if (t == "udf")
        flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    else if (t == "cifs" || t == "smb3" || t == "smbfs")
        flags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK | FILE_PERSISTENT_ACLS;
    else if (t.rfind("nfs", 0) == 0 || t == "fuse.sshfs" || t == "9p")
        flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    else
        flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES;
    if (readOnly) flags |= FILE_READ_ONLY_VOLUME;
    return flags;
}

}  // namespace zv::lnx
