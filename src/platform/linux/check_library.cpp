// The check library on the real machine: the volume's own file-system checker, run as a
// child process and reported through the library's callback protocol.
#include "common/utf.h"
#include "platform/linux/checker_session.h"
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

namespace {

class LinuxCheckLibrary final : public platform::ICheckLibrary {
public:
    explicit LinuxCheckLibrary(LinuxContext& context) : m_context(context) {}

    void Chkdsk(const char16_t* driveRoot, const char16_t* fileSystemName, BOOL correctErrors, BOOL verbose,
                BOOL checkOnlyIfDirty, BOOL scanDrive, void*, void*, platform::FmifsCallback callback) override {
        if (callback == nullptr) return;
        const std::string root = utf8FromUtf16(driveRoot);
        char letter = root.empty() ? 0 : root[0];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        const auto target = letter >= 'A' && letter <= 'Z' ? m_context.target(letter) : std::nullopt;
        if (!target || target->devNode.empty()) {
            refuse(callback, root + " is not a volume on a disk of this machine; there is nothing to check.");
            return;
        }
        // FUSE mounts (ntfs-3g, exFAT) do not name the file system: its superblock does.
        std::string fsType = target->fsType;
        if (fsType.empty() || fsType == "fuseblk" || fsType.rfind("fuse", 0) == 0) fsType = probeFsType(target->devNode);
        if (fsType.empty()) fsType = fsTypeForVolumeName(utf8FromUtf16(fileSystemName));

        CheckerOptions options;
        options.fix = correctErrors != 0;
        options.verbose = verbose != 0;
        options.onlyIfDirty = checkOnlyIfDirty != 0;
        options.scan = scanDrive != 0;
        runCheckSession(target->devNode, fsType, options, callback);
    }

private:
    static void refuse(platform::FmifsCallback callback, const std::string& why) {
        platform::TEXTOUTPUT output;
        output.Lines = 1;
        output.Output = why.c_str();
        callback(platform::FMIFS_OUTPUT, 0, &output);
        BOOLEAN success = 0;
        callback(platform::FMIFS_DONE, 0, &success);
    }

    LinuxContext& m_context;
};

}  // namespace

std::unique_ptr<platform::ICheckLibrary> makeLinuxCheckLibrary(LinuxContext& ctx) {
    return std::make_unique<LinuxCheckLibrary>(ctx);
}

}  // namespace zv::lnx
