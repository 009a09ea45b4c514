#include "platform/linux/nvme_protocol_query.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/api/storage_protocol.h"
#include "platform/linux/nvme_admin.h"
#include "platform/linux/storage_property.h"

namespace zv::lnx {

using platform::ProtocolDescriptorLayout;
using platform::ProtocolQueryLayout;
using platform::StorageProtocolSpecificData;

namespace {

BOOL fail(LinuxContext& ctx, DWORD error) {
    ctx.setLastError(error);
    return FALSE;
}

// The admin command a request stands for; false (with the error) when it stands for none.
bool commandOf(LinuxContext& ctx, const HandleEntry& handle, DWORD propertyId,
               const StorageProtocolSpecificData& r, NvmeAdminCommand* command, DWORD* error) {
    if (r.dataType == platform::NVMeDataTypeIdentify) {
        if (r.requestValue == platform::NVME_IDENTIFY_CNS_CONTROLLER) {
            *command = nvmeIdentify(uint8_t(r.requestValue), 0);
            return true;
        }
        if (r.requestValue == platform::NVME_IDENTIFY_CNS_SPECIFIC_NAMESPACE &&
            propertyId == platform::StorageDeviceProtocolSpecificProperty) {
            const uint32_t nsid =
                r.requestSubValue ? r.requestSubValue : nvmeNamespaceId(ctx.seam(), handle.fd);
            if (nsid == 0 || nsid == kNvmeAllNamespaces) {
                *error = ERROR_INVALID_PARAMETER;
                return false;
            }
            *command = nvmeIdentify(uint8_t(r.requestValue), nsid);
            return true;
        }
        *error = ERROR_NOT_SUPPORTED;
        return false;
    }
    if (r.dataType == platform::NVMeDataTypeLogPage) {
        if (r.requestValue > 0xFF || r.dataLength % 4 != 0) {
            *error = ERROR_INVALID_PARAMETER;
            return false;
        }
        const uint64_t offset = (uint64_t(r.requestSubValue2) << 32) | r.requestSubValue;
        *command = nvmeGetLogPage(uint8_t(r.requestValue), kNvmeAllNamespaces, r.dataLength, offset);
        return true;
    }
    *error = ERROR_NOT_SUPPORTED;
    return false;
}

DWORD errorOf(const NvmeOutcome& outcome) {
    if (outcome.errnoValue) return win32ErrorFromErrno(outcome.errnoValue);
    return ERROR_IO_DEVICE;
}

}  // namespace

BOOL nvmeProtocolQuery(LinuxContext& ctx, HandleEntry& handle, const void* in, DWORD inSize, void* out,
                       DWORD outSize, DWORD* returned) {
    if (!in || inSize < ProtocolQueryLayout::Size) return fail(ctx, ERROR_INVALID_PARAMETER);
    const auto* query = static_cast<const uint8_t*>(in);
    const DWORD propertyId = codec::getLe32(query + ProtocolQueryLayout::PropertyId);
    if (codec::getLe32(query + ProtocolQueryLayout::QueryType) != platform::PropertyStandardQuery)
        return fail(ctx, ERROR_INVALID_PARAMETER);
    StorageProtocolSpecificData request =
        StorageProtocolSpecificData::decode(query + ProtocolQueryLayout::Parameters);
    if (request.protocolType != platform::ProtocolTypeNvme) return fail(ctx, ERROR_NOT_SUPPORTED);
    if (request.dataOffset < StorageProtocolSpecificData::Size || request.dataLength < 512 ||
        request.dataLength > 0x100000)
        return fail(ctx, ERROR_INVALID_PARAMETER);
    const size_t replySize =
        size_t(ProtocolDescriptorLayout::Parameters) + request.dataOffset + request.dataLength;
    if (!out || outSize < replySize) return fail(ctx, ERROR_INSUFFICIENT_BUFFER);

    const std::string dir = diskSysfsDirOf(ctx, handle);
    if (dir.empty() || busTypeOf(ctx.options().sysRoot, dir) != BusTypeNvme)
        return fail(ctx, ERROR_NOT_SUPPORTED);
    // Admin commands need an open node, and the kernel lets only the administrator send them.
    if (handle.fd < 0) return fail(ctx, ERROR_ACCESS_DENIED);

    NvmeAdminCommand command;
    DWORD error = 0;
    if (!commandOf(ctx, handle, propertyId, request, &command, &error)) return fail(ctx, error);
    std::vector<uint8_t> data(command.dataLength, 0);
    const NvmeOutcome outcome = sendNvmeAdmin(ctx.seam(), handle.fd, command, data.data());
    if (!outcome.ok()) return fail(ctx, errorOf(outcome));

    auto* reply = static_cast<uint8_t*>(out);
    std::memset(reply, 0, replySize);
    codec::putLe32(reply + ProtocolDescriptorLayout::Version, ProtocolDescriptorLayout::Size);
    codec::putLe32(reply + ProtocolDescriptorLayout::SizeField, ProtocolDescriptorLayout::Size);
    request.fixedReturnData = outcome.result;
    const size_t copied = std::min<size_t>(data.size(), request.dataLength);
    request.dataLength = DWORD(copied);
    request.encode(reply + ProtocolDescriptorLayout::Parameters);
    std::memcpy(reply + ProtocolDescriptorLayout::Parameters + request.dataOffset, data.data(), copied);
    if (returned) *returned = DWORD(ProtocolDescriptorLayout::Parameters + request.dataOffset + copied);
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace zv::lnx
