#include "platform/sim/sim_tools_parts.h"

namespace zv::sim {

ScriptedManagement::ScriptedManagement(std::vector<platform::ManagementObject> rows, HRESULT failure, std::string failureText)
    : m_rows(std::move(rows)), m_failure(failure), m_failureText(std::move(failureText)) {}

HRESULT ScriptedManagement::ExecQuery(const char*, const char*, const char* query,
                                 std::vector<platform::ManagementObject>* rows, std::string* errorText) {
    if (m_failure != S_OK) {
        if (errorText) *errorText = m_failureText;
        return m_failure;
    }
    const std::string text = query ? query : "";
    // The service answers the disk-drive class only; anything else is an invalid query.
    if (text != "SELECT * FROM Win32_DiskDrive") {
        if (errorText) *errorText = "Invalid query";
        return WBEM_E_INVALID_QUERY;
    }
    if (rows) *rows = m_rows;
    return S_OK;
}

}  // namespace zv::sim
