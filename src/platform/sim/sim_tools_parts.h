// The check library and the management service of the simulated machine (the tools
// feature, sim_tools.cpp).
#pragma once

#include "platform/api/platform.h"
#include "platform/sim/sim_feature.h"

#include <map>
#include <string>
#include <vector>

namespace zv::sim {

// One step of a scripted check.
struct CheckerEvent {
    enum class Kind { Progress, Line, Done, Command };
    Kind kind = Kind::Line;
    int64_t number = 0;  // percent, success (0/1) or command number
    std::string text;    // the output line
};

// The check library: plays the script of the checked drive through the callback, and
// stops at the first stop answer (then reports "done" without success).
class ScriptedCheckLibrary final : public platform::ICheckLibrary {
public:
    ScriptedCheckLibrary(SimContext& context, std::map<char, std::vector<CheckerEvent>> scripts);
    void Chkdsk(const char16_t* driveRoot, const char16_t* fileSystemName, BOOL correctErrors, BOOL verbose,
                BOOL checkOnlyIfDirty, BOOL scanDrive, void* reserved1, void* reserved2,
                platform::FmifsCallback callback) override;

    // What a drive without a script answers: 100 %, one line, success.
    static std::vector<CheckerEvent> cleanScript();

private:
    SimContext& m_context;
    std::map<char, std::vector<CheckerEvent>> m_scripts;
};

// The management service: the rows of the machine file, or the failure it names.
class ScriptedManagement final : public platform::IManagement {
public:
    ScriptedManagement(std::vector<platform::ManagementObject> rows, HRESULT failure, std::string failureText);
    HRESULT ExecQuery(const char* server, const char* nameSpace, const char* query,
                      std::vector<platform::ManagementObject>* rows, std::string* errorText) override;

private:
    std::vector<platform::ManagementObject> m_rows;
    HRESULT m_failure;
    std::string m_failureText;
};

}  // namespace zv::sim
