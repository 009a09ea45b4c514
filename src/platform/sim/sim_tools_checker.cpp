#include "platform/sim/sim_tools_parts.h"

#include "common/utf.h"

namespace zv::sim {

ScriptedCheckLibrary::ScriptedCheckLibrary(SimContext& context, std::map<char, std::vector<CheckerEvent>> scripts)
    : m_context(context), m_scripts(std::move(scripts)) {}

std::vector<CheckerEvent> ScriptedCheckLibrary::cleanScript() {
    return {{CheckerEvent::Kind::Progress, 100, {}},
            {CheckerEvent::Kind::Line, 0, "The check found no problems."},
            {CheckerEvent::Kind::Done, 1, {}}};
}

void ScriptedCheckLibrary::Chkdsk(const char16_t* driveRoot, const char16_t* fileSystemName, BOOL correctErrors,
                             BOOL verbose, BOOL checkOnlyIfDirty, BOOL scanDrive, void*, void*,
                             platform::FmifsCallback callback) {
    char letter = driveRoot && driveRoot[0] < 0x80 ? static_cast<char>(driveRoot[0]) : 0;
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    const std::string fileSystem = utf8FromUtf16(fileSystemName);
    m_context.note("check of " + std::string(1, letter ? letter : '?') + ": (" + fileSystem + ")" +
                   (correctErrors ? " fix" : "") + (verbose ? " verbose" : "") +
                   (checkOnlyIfDirty ? " dirty-only" : "") + (scanDrive ? " scan" : ""));
    if (callback == nullptr) return;

    const auto found = m_scripts.find(letter);
    const std::vector<CheckerEvent> script = found != m_scripts.end() ? found->second : cleanScript();
    for (const CheckerEvent& event : script) {
        BOOLEAN answer = 1;
        switch (event.kind) {
        case CheckerEvent::Kind::Progress: {
            DWORD percent = static_cast<DWORD>(event.number);
            answer = callback(platform::FMIFS_PROGRESS, 0, &percent);
            break;
        }
        case CheckerEvent::Kind::Line: {
            platform::TEXTOUTPUT output;
            output.Lines = 1;
            output.Output = event.text.c_str();
            answer = callback(platform::FMIFS_OUTPUT, 0, &output);
            break;
        }
        case CheckerEvent::Kind::Done: {
            BOOLEAN success = event.number ? 1 : 0;
            callback(platform::FMIFS_DONE, 0, &success);
            // Nothing follows the final message.
            return;
        }
        case CheckerEvent::Kind::Command: {
            DWORD unused = 0;
            answer = callback(static_cast<DWORD>(event.number), 0, &unused);
            break;
        }
        }
        if (answer == 0) {
            m_context.note("stopped by the callback");
            BOOLEAN success = 0;
            callback(platform::FMIFS_DONE, 0, &success);
            return;
        }
    }
}

}  // namespace zv::sim
