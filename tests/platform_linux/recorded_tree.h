// A machine recorded under tests/platform_linux/data/<name>, unpacked into a temporary
// system root: mountinfo, fstab, udev records and a sysfs described line by line.
//
// sysfs.txt lines:
//   disk NAME DEVDIR MAJ:MIN REMOVABLE SIZE512 LOGICAL_BLOCK   whole disk at DEVDIR/block/NAME
//   part DISK NAME MAJ:MIN NUMBER SIZE512                      partition below the disk
//   scsi DEVDIR DISK TYPE|VENDOR|MODEL|REV|RMB                 SCSI device attributes + inquiry
//   file PATH TEXT   dir PATH   link PATH TARGET
#pragma once

#include <string>

namespace zv::lnx::test {

class RecordedTree {
public:
    explicit RecordedTree(const std::string& machine);
    ~RecordedTree();
    RecordedTree(const RecordedTree&) = delete;
    RecordedTree& operator=(const RecordedTree&) = delete;

    const std::string& root() const { return m_root; }
    // Per-user and per-session folders inside the temporary area.
    std::string configDir() const { return m_base + "/config"; }
    std::string runtimeDir() const { return m_base + "/runtime"; }
    // Replaces a file of the tree (a changed mount table, say).
    void write(const std::string& absolute, const std::string& text) const;
    std::string read(const std::string& absolute) const;

private:
    std::string m_base;
    std::string m_root;
};

// A fresh empty temporary folder, removed with its contents by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

std::string dataDir();

}  // namespace zv::lnx::test
