#include "platform/sim/sim_shell.h"

#include "platform/sim/sim_text.h"

namespace zv::sim {

namespace {

constexpr int64_t ShellExecuteSuccess = 42;
constexpr UINT WinExecSuccess = 33;
constexpr DWORD ShellExecuteInfoSize = 60;

// A fault's error as an HRESULT: Win32 codes are wrapped as HRESULT_FROM_WIN32 does.
HRESULT asHresult(DWORD error) {
    return error > 0xFFFF ? HRESULT(error) : HRESULT(0x80070000u | error);
}

}  // namespace

int64_t SimShell::ShellExecuteA(HWND owner, const char* operation, const char* file, const char* parameters,
                                const char* directory, int showCmd) {
    CallRecord call(m_core, "ShellExecuteA", {renderHex(owner), renderText(operation), renderText(file),
                                              renderText(parameters), renderText(directory), std::to_string(showCmd)});
    if (auto error = m_core.fault({"ShellExecuteA", letterOf(renderText(file)), renderText(file)}))
        return call.result(int64_t(*error), std::to_string(*error));
    return call.result(ShellExecuteSuccess, std::to_string(ShellExecuteSuccess));
}

BOOL SimShell::ShellExecuteExA(SHELLEXECUTEINFOA* info) {
    if (!info) {
        CallRecord call(m_core, "ShellExecuteExA", {"(null)"});
        return call.fail(ERROR_INVALID_PARAMETER);
    }
    CallRecord call(m_core, "ShellExecuteExA",
                    {std::to_string(info->cbSize), renderHex(info->fMask), renderHex(info->hwnd), renderText(info->lpVerb),
                     renderText(info->lpFile), renderText(info->lpParameters), renderText(info->lpDirectory),
                     std::to_string(info->nShow), renderPointer(info->lpIDList)});
    if (auto error = m_core.fault({"ShellExecuteExA", letterOf(renderText(info->lpFile)), renderText(info->lpFile)})) {
        info->hInstApp = *error;
        return call.fail(*error);
    }
    if (info->cbSize != ShellExecuteInfoSize) return call.fail(ERROR_INVALID_PARAMETER);
    if (!info->lpFile && !((info->fMask & SEE_MASK_INVOKEIDLIST) == SEE_MASK_INVOKEIDLIST && info->lpIDList))
        return call.fail(ERROR_FILE_NOT_FOUND);
    info->hInstApp = uint64_t(ShellExecuteSuccess);
    return call.succeed();
}

UINT SimShell::WinExec(const char* cmdLine, UINT showCmd) {
    CallRecord call(m_core, "WinExec", {renderText(cmdLine), std::to_string(showCmd)});
    if (auto error = m_core.fault({"WinExec", 0, renderText(cmdLine)})) return call.result(UINT(*error), std::to_string(*error));
    if (!cmdLine || !*cmdLine) return call.result(UINT(ERROR_FILE_NOT_FOUND), "2");
    return call.result(WinExecSuccess, std::to_string(WinExecSuccess));
}

BOOL SimShell::BrowseForFolderA(HWND owner, const char* title, DWORD flags, std::string* path) {
    CallRecord call(m_core, "BrowseForFolderA", {renderHex(owner), renderText(title), renderHex(flags)});
    if (auto error = m_core.fault({"BrowseForFolderA"})) return call.fail(*error);
    SimMachine& m = m_core.machine();
    if (m.browseAnswers.empty()) return call.result<BOOL>(FALSE, "FALSE (cancel)");
    const size_t index = std::min(m.browseNext, m.browseAnswers.size() - 1);
    ++m.browseNext;
    const auto& answer = m.browseAnswers[index];
    if (!answer) return call.result<BOOL>(FALSE, "FALSE (cancel)");
    if (path) *path = *answer;
    return call.result<BOOL>(TRUE, "TRUE \"" + *answer + "\"");
}

HRESULT SimShell::AutomationCall(const char* progId, const char* method, std::string* errorText) {
    CallRecord call(m_core, "AutomationCall", {renderText(progId), renderText(method)});
    const std::string object = renderText(progId);
    if (auto error = m_core.fault({"AutomationCall", 0, object})) {
        if (errorText) *errorText = "Automation error";
        return call.result(asHresult(*error), renderHex(uint32_t(asHresult(*error))));
    }
    const SimMachine& m = m_core.machine();
    for (const auto& name : m.unregisteredObjects) {
        if (!equalsNoCase(name, object)) continue;
        if (errorText) *errorText = "Invalid class string";
        return call.result(REGDB_E_CLASSNOTREG, renderHex(uint32_t(REGDB_E_CLASSNOTREG)));
    }
    for (const auto& failure : m.automationFailures) {
        if (!equalsNoCase(failure.progId, object)) continue;
        if (!failure.method.empty() && !equalsNoCase(failure.method, renderText(method))) continue;
        if (errorText) *errorText = failure.message;
        return call.result(failure.hresult, renderHex(uint32_t(failure.hresult)) + " \"" + failure.message + "\"");
    }
    if (errorText) errorText->clear();
    return call.result(S_OK, "0");
}

DWORD SimShell::mciSendStringA(const char* command, char* returnString, UINT returnLength, HWND callback) {
    CallRecord call(m_core, "mciSendStringA", {renderText(command), renderPointer(returnString), std::to_string(returnLength),
                                               renderHex(callback)});
    if (returnString && returnLength) returnString[0] = '\0';
    if (auto error = m_core.fault({"mciSendStringA", 0, renderText(command)})) return call.code(*error);
    if (!command) return call.code(DWORD(MCIERR_UNRECOGNIZED_COMMAND));
    for (auto& feature : m_core.features()) {
        DWORD result = 0;
        if (feature->mciSendString(m_core, command, &result)) return call.code(result);
    }
    return call.code(DWORD(MCIERR_INVALID_DEVICE_NAME));
}

DWORD SimShell::mciSendCommandA(MCIDEVICEID device, UINT message, DWORD flags, void* params) {
    std::vector<std::string> arguments = {std::to_string(device), renderHex(message), renderHex(flags), renderPointer(params)};
    if (message == MCI_OPEN && params) {
        const auto* open = static_cast<const MCI_OPEN_PARMSA*>(params);
        arguments.push_back(renderText(open->lpstrDeviceType));
        arguments.push_back(renderText(open->lpstrElementName));
    }
    CallRecord call(m_core, "mciSendCommandA", std::move(arguments));
    if (auto error = m_core.fault({"mciSendCommandA"})) return call.code(*error);
    for (auto& feature : m_core.features()) {
        DWORD result = 0;
        if (feature->mciSendCommand(m_core, device, message, flags, params, &result)) return call.code(result);
    }
    return call.code(DWORD(message == MCI_OPEN ? MCIERR_INVALID_DEVICE_NAME : MCIERR_INVALID_DEVICE_ID));
}

}  // namespace zv::sim
