// What the root check-disk tests share: running a shell command, and collecting what a check
// session delivers through the check library's callback.
#pragma once

#include "platform/api/platform.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zv::lnx::test {

// Runs `command` through the shell (standard error too); true when it exits 0.
inline bool runOk(const std::string& command, std::string* output = nullptr) {
    std::string text;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return false;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    const bool ok = ::pclose(pipe) == 0;
    if (output) *output = text;
    return ok;
}

// The lines and done messages of one check session.
struct Delivered {
    std::vector<std::string> lines;
    int doneCount = 0;
    bool success = false;

    const std::string& last() const {
        static const std::string none;
        return lines.empty() ? none : lines.back();
    }
    bool says(const std::string& words) const {
        for (const std::string& line : lines)
            if (line.find(words) != std::string::npos) return true;
        return false;
    }
    bool clean() const { return doneCount == 1 && success; }
    // Problems end the session without the done message: no "Finished OK" and no
    // "Unable to Finish" around the report.
    bool problemsFound() const { return doneCount == 0 && last().find("found problems") != std::string::npos; }
};

// What the session in progress delivered; reset it before each session.
inline Delivered g_delivered;

// The callback handed to the session: it fills g_delivered.
inline win::BOOLEAN collect(win::DWORD command, win::DWORD, void* data) {
    if (command == platform::FMIFS_OUTPUT) g_delivered.lines.push_back(static_cast<platform::TEXTOUTPUT*>(data)->Output);
    if (command == platform::FMIFS_DONE) {
        ++g_delivered.doneCount;
        g_delivered.success = *static_cast<win::BOOLEAN*>(data) != 0;
    }
    return 1;
}

}  // namespace zv::lnx::test
