// The mount table (/proc/self/mountinfo, proc(5)) and fstab (fstab(5)), read directly.
// Reading them through libmount loaded libmount, libselinux and libpcre2 into every
// process, which cost more than all the rest of a `zorvane-cli list`.
//
// mountinfo: "ID PARENT MAJ:MIN ROOT MOUNTPOINT MOUNTOPTS [OPTIONAL...] - FSTYPE SOURCE SUPEROPTS";
// the optional fields end at the lone "-", so the fields after it are found from there.
// Both files write space, tab, newline and backslash inside a field as a backslash and
// three octal digits ("\040").
#include "platform/linux/mount_table.h"

#include "platform/linux/sysfs.h"

#include <cstdlib>
#include <string_view>

namespace zv::lnx {

namespace {

// "\040" -> " ": a backslash and three octal digits (first 0-3) stand for one byte; any
// other backslash stays as it is.
std::string unescapeField(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
                           field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
                           field[i + 3] >= '0' && field[i + 3] <= '7';
        if (!octal) {
            out += field[i];
            continue;
        }
        out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
        i += 3;
    }
    return out;
}

// The blank-separated fields of a line (blanks inside a field are escaped).
std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> fields;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        const size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        if (at > start) fields.emplace_back(line.substr(start, at - start));
    }
    return fields;
}

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

// File systems of the kernel's own views and services (the list util-linux keeps).
bool isPseudoFsType(const std::string& t) {
    static const char* const kTypes[] = {
        "anon_inodefs", "autofs",   "bdev",       "binfmt_misc", "bpf",       "cgroup",     "cgroup2",
        "configfs",     "cpuset",   "debugfs",    "devfs",       "devpts",    "devtmpfs",   "dlmfs",
        "efivarfs",     "fuse.gvfs-fuse-daemon",  "fuse.gvfsd-fuse", "fusectl",     "hugetlbfs", "mqueue",     "nfsd",
        "none",         "nsfs",     "overlay",    "pipefs",      "proc",      "pstore",     "ramfs",
        "resctrl",      "rootfs",   "rpc_pipefs", "securityfs",  "selinuxfs", "smackfs",    "sockfs",
        "spufs",        "sysfs",    "tmpfs",      "tracefs"};
    for (const char* known : kTypes)
        if (t == known) return true;
    return false;
}

void classify(MountEntry& entry) {
    entry.readOnly = hasOption(entry.options, "ro");
    entry.netfs = isNetworkFsType(entry.fsType);
    entry.pseudo = isPseudoFsType(entry.fsType);
}

bool parseNumber(const std::string& text, unsigned* value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = unsigned(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

// One mountinfo line; false for a line that does not have the fields.
bool parseMountInfoLine(std::string_view line, MountEntry* entry) {
    const std::vector<std::string> fields = fieldsOf(line);
    size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (fields.size() < 6 || separator + 2 >= fields.size()) return false;
    unsigned id = 0, parent = 0;
    const size_t colon = fields[2].find(':');
    if (!parseNumber(fields[0], &id) || !parseNumber(fields[1], &parent) || colon == std::string::npos ||
        !parseNumber(fields[2].substr(0, colon), &entry->major) ||
        !parseNumber(fields[2].substr(colon + 1), &entry->minor))
        return false;
    entry->id = int(id);
    entry->parentId = int(parent);
    entry->root = unescapeField(fields[3]);
    entry->target = unescapeField(fields[4]);
    entry->options = fields[5];
    entry->fsType = unescapeField(fields[separator + 1]);
    entry->source = unescapeField(fields[separator + 2]);
    classify(*entry);
    return true;
}

// One fstab line: "SOURCE TARGET TYPE [OPTIONS [FREQ [PASSNO]]]"; false for a comment, a
// blank or a short line.
bool parseFstabLine(std::string_view line, MountEntry* entry) {
    const std::vector<std::string> fields = fieldsOf(line);
    if (fields.size() < 3 || fields[0][0] == '#') return false;
    entry->source = unescapeField(fields[0]);
    entry->target = unescapeField(fields[1]);
    entry->fsType = unescapeField(fields[2]);
    entry->options = fields.size() > 3 ? unescapeField(fields[3]) : std::string();
    classify(*entry);
    entry->netdev = hasOption(entry->options, "_netdev");
    return true;
}

std::vector<MountEntry> readTable(const std::string& path, bool (*parseLine)(std::string_view, MountEntry*)) {
    std::vector<MountEntry> entries;
    // A table of many thousand mounts is larger than the reader's usual limit.
    const auto bytes = readFileBytes(path, size_t(64) << 20);
    if (!bytes) return entries;
    const std::string_view text(*bytes);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        MountEntry entry;
        if (parseLine(text.substr(start, end - start), &entry)) entries.push_back(std::move(entry));
        start = end + 1;
    }
    return entries;
}

}  // namespace

std::vector<MountEntry> readMountTable(const std::string& path) { return readTable(path, parseMountInfoLine); }
std::vector<MountEntry> readFstab(const std::string& path) { return readTable(path, parseFstabLine); }

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
