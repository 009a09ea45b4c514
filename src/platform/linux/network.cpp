// Network letters: their UNC names and whether their servers answer, and the connect and
// disconnect operations that the window's dialogs carry out.
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_concerns.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/remote_probe.h"
#include "platform/linux/volume_facts.h"

#include <set>

namespace zv::lnx {

namespace {

constexpr DWORD kErrorAlreadyAssigned = 85;  // ERROR_ALREADY_ASSIGNED: the local name is in use

class LinuxNetwork final : public platform::INetwork {
public:
    explicit LinuxNetwork(LinuxContext& ctx) : m_ctx(ctx) {}

    DWORD WNetGetConnectionA(const char* localName, char* remoteName, DWORD* length) override {
        char letter = driveLetterOf(localName);
        if (!letter || !(localName[2] == 0 || (localName[2] == '\\' && localName[3] == 0))) return ERROR_BAD_DEVICE;
        const LetterEntry* entry = letterEntry(m_ctx, letter);
        if (!entry || !entry->target.network) return ERROR_NOT_CONNECTED;
        std::string remote = entry->target.remoteName;
        DWORD status = reachable(*entry) ? NO_ERROR : ERROR_CONNECTION_UNAVAIL;
        if (!length) return ERROR_INVALID_PARAMETER;
        if (!remoteName || *length < remote.size() + 1) {
            *length = DWORD(remote.size() + 1);
            return ERROR_MORE_DATA;
        }
        copyText(remoteName, *length, remote);
        return status;
    }

    DWORD WNetConnectionDialog(HWND, DWORD) override {
        if (!m_ctx.dialogs) return ERROR_NOT_SUPPORTED;
        m_ctx.dialogs->showMapNetworkDrive();
        invalidateLetters(m_ctx);
        return NO_ERROR;
    }

    DWORD WNetDisconnectDialog(HWND, DWORD) override {
        if (!m_ctx.dialogs) return ERROR_NOT_SUPPORTED;
        m_ctx.dialogs->showDisconnectNetworkDrive();
        invalidateLetters(m_ctx);
        return NO_ERROR;
    }

    DWORD WNetAddConnection2A(const char* remoteName, const char* localName, const char* userName, DWORD flags) override {
        m_message.clear();
        char wanted = localName && *localName ? driveLetterOf(localName) : 0;
        if (localName && *localName && (!wanted || localName[2] != 0)) return ERROR_BAD_DEVICE;
        if (wanted && letterEntry(m_ctx, wanted)) return kErrorAlreadyAssigned;
        std::set<std::string> before = networkKeys();
        DWORD result = linuxAddConnection(m_ctx, remoteName, localName, userName, flags, &m_message);
        invalidateLetters(m_ctx);
        if (result != NO_ERROR || !wanted) return result;
        // The new connection takes the letter it was made for.
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const LetterEntry* entry = letterEntry(m_ctx, letter);
            if (entry && entry->target.network && !before.count(entry->key)) {
                if (letter != wanted) rememberLetter(m_ctx, entry->key, wanted);
                break;
            }
        }
        return result;
    }

    DWORD WNetCancelConnection2A(const char* name, DWORD flags, BOOL force) override {
        m_message.clear();
        DWORD result = linuxCancelConnection(m_ctx, name, flags, force, &m_message);
        invalidateLetters(m_ctx);
        return result;
    }

    std::string LastConnectionMessage() override { return m_message; }

private:
    // A remembered connection never answers; a mounted one answers when statvfs does within
    // the deadline (any answer counts, a refusal too).
    bool reachable(const LetterEntry& entry) {
        if (entry.remembered) return false;
        std::optional<VolumeFacts> facts = volumeFacts(m_ctx, entry);
        if (!facts) return false;
        VolumeStat stat = statVolume(m_ctx, facts->statPath, true);
        return stat.ok || !stat.unavailable;
    }

    std::set<std::string> networkKeys() {
        std::set<std::string> keys;
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            if (const LetterEntry* entry = letterEntry(m_ctx, letter); entry && entry->target.network) keys.insert(entry->key);
        return keys;
    }

    LinuxContext& m_ctx;
    std::string m_message;
};

}  // namespace

std::unique_ptr<platform::INetwork> makeLinuxNetwork(LinuxContext& ctx) { return std::make_unique<LinuxNetwork>(ctx); }

}  // namespace zv::lnx
