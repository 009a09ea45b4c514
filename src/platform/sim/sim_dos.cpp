// The older family's DOS services through the VxD call entry: the long-file-name subst
// service (71AAh) and get-full-path-name (7160h).
#include "platform/sim/sim_drives.h"

#include "platform/sim/sim_text.h"

#include <cstring>

namespace zv::sim {

namespace {

constexpr DWORD DosInvalidDrive = 0x0F;
constexpr DWORD DosPathNotFound = 0x03;
constexpr size_t SubstBuffer = 256;
constexpr size_t FullPathBuffer = 261;

void failWith(platform::VxDRegisters& regs, DWORD dosError) {
    regs.carry = true;
    regs.eax = (regs.eax & 0xFFFF0000u) | dosError;
}

}  // namespace

void SimDos::VxDCall(DWORD service, platform::VxDRegisters& regs) {
    CallRecord call(m_core, "VxDCall", {renderHex(service), renderHex(regs.eax), renderHex(regs.ebx), renderHex(regs.ecx),
                                        regs.edx ? std::string(regs.edx) : "(null)", renderText(regs.esi)});
    if (auto error = m_core.fault({"VxDCall"})) {
        failWith(regs, *error);
        return call.done("carry");
    }
    regs.carry = false;
    if (m_core.machine().platformId == VER_PLATFORM_WIN32_NT || service != platform::VXD_INT21_SERVICE) {
        call.note("no DOS services on this system");
        regs.carry = true;
        return call.done("carry");
    }
    switch (regs.eax & 0xFFFF) {
    case 0x71AA: substService(regs); break;
    case 0x7160: fullPathName(regs); break;
    default:
        m_core.countUnknownRequest("interrupt 21h function " + renderHex(regs.eax & 0xFFFF));
        failWith(regs, 0x01);
        break;
    }
    call.done(regs.carry ? "carry" : "ok");
}

void SimDos::substService(platform::VxDRegisters& regs) {
    const DWORD function = (regs.ebx >> 8) & 0xFF;
    const DWORD driveNumber = regs.ebx & 0xFF;
    if (driveNumber < 1 || driveNumber > 26) return failWith(regs, DosInvalidDrive);
    const char letter = char('A' + driveNumber - 1);
    auto& stack = m_core.machine().definitions[letter - 'A'];
    const std::string target = m_core.substituteTarget(letter);
    switch (function) {
    case 0:  // create
        if (!regs.edx || !*regs.edx || m_core.letterDefined(letter)) return failWith(regs, DosInvalidDrive);
        stack.push_back(SimDosDefinition{nullptr, "\\??\\" + std::string(regs.edx)});
        m_core.note(std::string("subst ") + letter + ": " + regs.edx);
        return;
    case 1:  // terminate
        if (target.empty()) return failWith(regs, DosInvalidDrive);
        stack.pop_back();
        m_core.note(std::string("unsubst ") + letter + ":");
        return;
    case 2: {  // query: the short form of the folder
        if (!regs.edx) return failWith(regs, DosInvalidDrive);
        if (target.empty()) return failWith(regs, DosInvalidDrive);
        auto listed = m_core.machine().shortNames.find(canonicalPath(target));
        const std::string answer = listed != m_core.machine().shortNames.end() ? listed->second.shortPath : target;
        std::strncpy(regs.edx, answer.c_str(), SubstBuffer - 1);
        regs.edx[SubstBuffer - 1] = '\0';
        m_core.note("\"" + answer + "\"");
        return;
    }
    default:
        m_core.countUnknownRequest("subst function " + std::to_string(function));
        return failWith(regs, 0x01);
    }
}

void SimDos::fullPathName(platform::VxDRegisters& regs) {
    const DWORD form = regs.ecx & 0xFF;
    if (!regs.esi || !regs.edi) return failWith(regs, DosPathNotFound);
    const std::string path = regs.esi;
    const std::string canonical = canonicalPath(path);
    std::string answer;
    const auto& names = m_core.machine().shortNames;
    if (form == 2) {  // long form
        for (const auto& entry : names)
            if (canonicalPath(entry.second.shortPath) == canonical) answer = entry.second.longPath;
    } else if (form == 1) {  // short form
        auto listed = names.find(canonical);
        if (listed != names.end()) answer = listed->second.shortPath;
    }
    if (answer.empty()) {
        const ResolvedPath resolved = m_core.resolvePath(path);
        if (resolved.error || (!m_core.folderExists(resolved.canonical) && !m_core.machine().files.count(resolved.canonical)))
            return failWith(regs, DosPathNotFound);
        answer = path;
    }
    std::strncpy(regs.edi, answer.c_str(), FullPathBuffer - 1);
    regs.edi[FullPathBuffer - 1] = '\0';
    m_core.note("\"" + answer + "\"");
}

}  // namespace zv::sim
