#include "platform/sim/sim_services.h"

#include "platform/sim/sim_text.h"

namespace zv::sim {

namespace {

std::string renderFlag(BOOL value) { return value ? "TRUE" : "FALSE"; }

}  // namespace

platform::ICheckLibrary* SimCheckLibrary::provider() const {
    for (const auto& feature : m_core.features())
        if (platform::ICheckLibrary* library = feature->checkLibrary()) return library;
    return nullptr;
}

void SimCheckLibrary::Chkdsk(const char16_t* driveRoot, const char16_t* fileSystemName, BOOL correctErrors,
                             BOOL verbose, BOOL checkOnlyIfDirty, BOOL scanDrive, void* reserved1, void* reserved2,
                             platform::FmifsCallback callback) {
    platform::ICheckLibrary* library = provider();
    {
        CallRecord call(m_core, "Chkdsk", {renderText(driveRoot), renderText(fileSystemName), renderFlag(correctErrors),
                                           renderFlag(verbose), renderFlag(checkOnlyIfDirty), renderFlag(scanDrive),
                                           renderPointer(reserved1), renderPointer(reserved2),
                                           callback ? "callback" : "(null)"});
        const std::string root = renderText(driveRoot);
        if (m_core.fault({"Chkdsk", letterOf(root), root})) return call.done("not run");
        if (!library) {
            call.note("the check library is missing");
            return call.done("not run");
        }
        call.done("run");
    }
    // Outside the record, so that the feature's own calls into the core log in order.
    library->Chkdsk(driveRoot, fileSystemName, correctErrors, verbose, checkOnlyIfDirty, scanDrive, reserved1,
                    reserved2, callback);
}

HRESULT SimManagement::ExecQuery(const char* server, const char* nameSpace, const char* query,
                                 std::vector<platform::ManagementObject>* rows, std::string* errorText) {
    platform::IManagement* provider = nullptr;
    for (const auto& feature : m_core.features())
        if ((provider = feature->management())) break;
    {
        CallRecord call(m_core, "ExecQuery", {renderText(server), renderText(nameSpace), renderText(query)});
        if (auto error = m_core.fault({"ExecQuery", 0, renderText(query)})) {
            if (errorText) *errorText = "Generic failure";
            const HRESULT result = *error > 0xFFFF ? HRESULT(*error) : HRESULT(0x80070000u | *error);
            return call.result(result, renderHex(uint32_t(result)));
        }
        if (!provider) {
            if (errorText) *errorText = "Generic failure";
            if (rows) rows->clear();
            return call.result(WBEM_E_FAILED, renderHex(uint32_t(WBEM_E_FAILED)) + " (no management service)");
        }
        call.done("served");
    }
    return provider->ExecQuery(server, nameSpace, query, rows, errorText);
}

}  // namespace zv::sim
