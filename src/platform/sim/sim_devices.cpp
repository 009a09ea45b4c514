// Letter devices ("\\.\X:") and the devices of features: opens by access mode, device
// control with the system's access and buffer checks, the storage descriptor, SCSI
// pass-through with INQUIRY answered from the drive's identity.
#include "platform/sim/sim_io.h"

#include "platform/api/codec.h"
#include "platform/api/pass_through.h"
#include "platform/sim/sim_scsi.h"
#include "platform/sim/sim_text.h"

#include <algorithm>
#include <cstring>

namespace zv::sim {

namespace {

using L = platform::PassThroughLayout;

constexpr DWORD FILE_READ_ACCESS = 1;
constexpr DWORD FILE_WRITE_ACCESS = 2;
constexpr size_t DescriptorHeader = 40;  // STORAGE_DEVICE_DESCRIPTOR up to RawDeviceProperties

bool hasReadAccess(DWORD access) { return access & (GENERIC_READ | 0x1u | 0x10000000u); }
bool hasWriteAccess(DWORD access) { return access & (GENERIC_WRITE | 0x2u | 0x10000000u); }

// "\\.\PhysicalDrive3" -> 3; -1 when the name is none.
int physicalDriveNumber(const std::string& name) {
    const std::string prefix = "PHYSICALDRIVE";
    const std::string upperName = upper(name);
    if (upperName.rfind(prefix, 0) != 0 || upperName.size() == prefix.size() || upperName.size() > prefix.size() + 3) return -1;
    int number = 0;
    for (size_t i = prefix.size(); i < upperName.size(); ++i) {
        if (upperName[i] < '0' || upperName[i] > '9') return -1;
        number = number * 10 + (upperName[i] - '0');
    }
    return number;
}

std::string renderTarget(const SimDeviceTarget& target) {
    if (target.letter) return std::string("\\\\.\\") + target.letter + ":";
    if (target.physicalDrive >= 0) return "\\\\.\\PhysicalDrive" + std::to_string(target.physicalDrive);
    if (target.smartVsd) return "\\\\.\\SMARTVSD";
    return "\\\\.\\?";
}

// STORAGE_DEVICE_DESCRIPTOR (winioctl.h): header fields, then the identity strings.
std::vector<uint8_t> deviceDescriptor(const SimStorage& s) {
    std::vector<uint8_t> bytes(DescriptorHeader, 0);
    auto addString = [&](const std::string& text, size_t field) {
        codec::putLe32(bytes.data() + field, uint32_t(bytes.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    };
    if (!s.vendor.empty()) addString(s.vendor, 12);
    if (!s.product.empty()) addString(s.product, 16);
    if (!s.revision.empty()) addString(s.revision, 20);
    if (s.serial) addString(*s.serial, 24);
    codec::putLe32(bytes.data() + 0, uint32_t(DescriptorHeader));  // Version: the structure's size
    codec::putLe32(bytes.data() + 4, uint32_t(bytes.size()));      // Size: everything returned
    bytes[8] = s.deviceType;
    bytes[9] = s.deviceTypeModifier;
    bytes[10] = s.removableMedia ? 1 : 0;
    bytes[11] = s.commandQueueing ? 1 : 0;
    codec::putLe32(bytes.data() + 28, s.busType);
    codec::putLe32(bytes.data() + 32, 0);  // RawPropertiesLength
    return bytes;
}

}  // namespace

HANDLE SimIo::openDevice(CallRecord& call, const char*, const std::string& name, DWORD access, DWORD share,
                         DWORD disposition, DWORD flags) {
    auto failed = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result(INVALID_HANDLE_VALUE, "INVALID_HANDLE_VALUE (" + std::to_string(error) + ")");
    };
    const std::string rest = name.substr(4);
    SimDeviceTarget target;
    target.access = access;
    target.shareMode = share;
    target.flags = flags;
    SimHandle handle;
    handle.kind = SimHandle::Kind::Device;
    handle.access = access;
    handle.share = share;
    handle.flags = flags;
    // Devices open existing; the older family's virtual drivers are loaded by CREATE_NEW.
    const bool virtualDriver = equalsNoCase(rest, "SMARTVSD");
    if (disposition != OPEN_EXISTING && !(virtualDriver && disposition == CREATE_NEW))
        return failed(ERROR_INVALID_PARAMETER);

    const char letter = rest.size() == 2 ? parseLetter(rest) : 0;
    if (letter) {
        SimDrive* drive = m_core.drive(letter);
        if (!drive) return failed(ERROR_FILE_NOT_FOUND);
        const bool dataAccess = access & (GENERIC_READ | GENERIC_WRITE | 0x10000000u | 0x3u);
        const DWORD answer = dataAccess ? drive->deviceReadWrite : drive->deviceQuery;
        if (answer) return failed(answer);
        if (DWORD conflict = shareConflict(SimHandle::Kind::Device, {}, drive, access, share)) return failed(conflict);
        target.letter = drive->letter;
        if (drive->letter != letter) call.note(std::string("device of ") + drive->letter + ":");
        handle.drive = drive;
    } else {
        target.physicalDrive = physicalDriveNumber(rest);
        target.smartVsd = equalsNoCase(rest, "SMARTVSD");
        std::optional<bool> opened;
        DWORD error = ERROR_FILE_NOT_FOUND;
        for (auto& feature : m_core.features()) {
            opened = feature->openDevice(m_core, target, &error);
            if (opened) break;
        }
        if (!opened || !*opened) return failed(opened ? error : DWORD(ERROR_FILE_NOT_FOUND));
    }
    handle.device = target;
    const HANDLE value = m_core.addHandle(std::move(handle));
    m_core.setLastError(0);
    return call.result(value, std::to_string(value));
}

BOOL SimIo::DeviceIoControl(HANDLE device, DWORD ioControlCode, const void* inBuffer, DWORD inBufferSize,
                            void* outBuffer, DWORD outBufferSize, DWORD* bytesReturned) {
    CallRecord call(m_core, "DeviceIoControl",
                    {std::to_string(device), renderHex(ioControlCode), renderPointer(inBuffer), std::to_string(inBufferSize),
                     renderPointer(outBuffer), std::to_string(outBufferSize)});
    call.input(inBuffer, inBufferSize);
    if (bytesReturned) *bytesReturned = 0;
    SimHandle* handle = m_core.handle(device);
    const char letter = handle ? handle->device.letter : char(0);
    if (auto error = m_core.fault({"DeviceIoControl", letter, handle ? renderTarget(handle->device) : "", ioControlCode}))
        return call.fail(*error);
    if (!handle) return call.fail(ERROR_INVALID_HANDLE);
    if (handle->kind != SimHandle::Kind::Device) return call.fail(ERROR_INVALID_FUNCTION);
    // The control code carries the access it needs (CTL_CODE bits 14-15). The older
    // family's drivers ("\\.\SMARTVSD") are opened without access rights and check none.
    const DWORD needed = handle->device.smartVsd ? 0 : (ioControlCode >> 14) & 3;
    if (((needed & FILE_READ_ACCESS) && !hasReadAccess(handle->access)) ||
        ((needed & FILE_WRITE_ACCESS) && !hasWriteAccess(handle->access))) {
        call.note("the handle lacks the access this request needs");
        return call.fail(ERROR_ACCESS_DENIED);
    }
    DWORD returned = 0;
    if (ioControlCode == IOCTL_SCSI_PASS_THROUGH_DIRECT) {
        // Through plain device control the data buffer cannot travel; the block is both
        // input and output.
        if (!inBuffer || inBuffer != outBuffer || inBufferSize != outBufferSize) {
            call.note("the pass-through block must be both the input and the output buffer");
            return call.fail(ERROR_INVALID_PARAMETER);
        }
        return passThrough(call, *handle, static_cast<uint8_t*>(outBuffer), outBufferSize, nullptr,
                           bytesReturned ? bytesReturned : &returned);
    }
    if (ioControlCode == IOCTL_STORAGE_QUERY_PROPERTY && handle->drive)
        return storageQuery(call, *handle, inBuffer, inBufferSize, outBuffer, outBufferSize,
                            bytesReturned ? bytesReturned : &returned);
    for (auto& feature : m_core.features()) {
        BOOL result = FALSE;
        if (feature->deviceControl(m_core, handle->device, ioControlCode, inBuffer, inBufferSize, outBuffer,
                                   outBufferSize, bytesReturned ? bytesReturned : &returned, &result))
            return call.result(result, renderBool(result, m_core.lastError()));
    }
    m_core.countUnknownRequest("control code " + renderHex(ioControlCode) + " on " + renderTarget(handle->device));
    return call.fail(ERROR_INVALID_FUNCTION);
}

BOOL SimIo::storageQuery(CallRecord& call, SimHandle& handle, const void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* returned) {
    // STORAGE_PROPERTY_QUERY: PropertyId, QueryType, AdditionalParameters[1] (12 bytes).
    if (!in || inSize < 12) {
        call.note("STORAGE_PROPERTY_QUERY needs 12 bytes");
        return call.fail(ERROR_INVALID_PARAMETER);
    }
    const auto* query = static_cast<const uint8_t*>(in);
    const uint32_t propertyId = codec::getLe32(query);
    const uint32_t queryType = codec::getLe32(query + 4);
    call.note("PropertyId " + std::to_string(propertyId) + " QueryType " + std::to_string(queryType));
    if (propertyId != 0 || queryType > 1) {
        for (auto& feature : m_core.features()) {
            BOOL result = FALSE;
            if (feature->deviceControl(m_core, handle.device, IOCTL_STORAGE_QUERY_PROPERTY, in, inSize, out, outSize,
                                       returned, &result))
                return call.result(result, renderBool(result, m_core.lastError()));
        }
        if (queryType > 1) return call.fail(ERROR_INVALID_PARAMETER);
        m_core.countUnknownRequest("storage property " + std::to_string(propertyId));
        return call.fail(ERROR_INVALID_FUNCTION);
    }
    const SimStorage& storage = handle.drive->storage;
    if (storage.error) return call.fail(storage.error);
    if (queryType == 1) return call.succeed();  // PropertyExistsQuery
    if (!out || outSize < 8) {
        call.note("the output buffer cannot hold a descriptor header");
        return call.fail(ERROR_INSUFFICIENT_BUFFER);
    }
    const std::vector<uint8_t> descriptor = deviceDescriptor(storage);
    const DWORD count = DWORD(std::min<size_t>(descriptor.size(), outSize));
    std::memcpy(out, descriptor.data(), count);
    *returned = count;
    call.note("bus type " + std::to_string(storage.busType) + " removable " + std::to_string(storage.removableMedia) +
              ", " + std::to_string(count) + " of " + std::to_string(descriptor.size()) + " bytes");
    return call.succeed();
}

BOOL SimIo::ScsiPassThroughDirect(HANDLE device, uint8_t* request, DWORD requestSize, void* dataBuffer,
                                  DWORD* bytesReturned) {
    CallRecord call(m_core, "ScsiPassThroughDirect",
                    {std::to_string(device), renderPointer(request), std::to_string(requestSize), renderPointer(dataBuffer)});
    call.input(request, request ? std::min<DWORD>(requestSize, DWORD(L::Size)) : 0);
    DWORD returned = 0;
    if (bytesReturned) *bytesReturned = 0;
    SimHandle* handle = m_core.handle(device);
    const char letter = handle ? handle->device.letter : char(0);
    std::optional<uint8_t> opcode;
    if (request && requestSize > L::Cdb) opcode = request[L::Cdb];
    if (auto error = m_core.fault({"ScsiPassThroughDirect", letter, handle ? renderTarget(handle->device) : "",
                                   IOCTL_SCSI_PASS_THROUGH_DIRECT, opcode}))
        return call.fail(*error);
    if (!handle) return call.fail(ERROR_INVALID_HANDLE);
    if (handle->kind != SimHandle::Kind::Device) return call.fail(ERROR_INVALID_FUNCTION);
    if (!hasReadAccess(handle->access) || !hasWriteAccess(handle->access)) {
        call.note("pass-through needs a read-write handle");
        return call.fail(ERROR_ACCESS_DENIED);
    }
    return passThrough(call, *handle, request, requestSize, dataBuffer, bytesReturned ? bytesReturned : &returned);
}

BOOL SimIo::passThrough(CallRecord& call, SimHandle& handle, uint8_t* block, DWORD blockSize, void* data,
                        DWORD* returned) {
    if (handle.drive) {
        if (!handle.drive->inquiry.present) {
            call.note("the device has no SCSI pass-through");
            return call.fail(ERROR_INVALID_FUNCTION);
        }
        if (handle.drive->inquiry.error) return call.fail(handle.drive->inquiry.error);
    }
    // The block as the port driver checks it.
    if (!block || blockSize < L::StructSize) return call.fail(ERROR_INVALID_PARAMETER);
    const platform::PassThroughView view{block};
    auto invalid = [&](const std::string& why) {
        call.note("malformed pass-through block: " + why);
        return call.fail(ERROR_INVALID_PARAMETER);
    };
    if (view.length() != L::StructSize) return invalid("Length " + std::to_string(view.length()) + " (expected 44)");
    const uint8_t opcode = view.cdb()[0];
    const uint8_t cdbLength = view.cdbLength();
    call.note("CDB " + hexBytes(view.cdb(), std::min<size_t>(cdbLength ? cdbLength : 1, 16)));
    if (!cdbLengthFits(opcode, cdbLength))
        return invalid("CdbLength " + std::to_string(cdbLength) + " for operation code " + renderHex(opcode));
    if (opcode == 0xAD && cdbLength == 10 && (view.cdb()[10] || view.cdb()[11]))
        return invalid("a 10-byte READ DISC STRUCTURE must carry zeros in bytes 10 and 11");
    if (view.senseInfoLength()) {
        const uint64_t end = uint64_t(view.senseInfoOffset()) + view.senseInfoLength();
        if (view.senseInfoOffset() < L::StructSize || end > blockSize)
            return invalid("sense area " + std::to_string(view.senseInfoOffset()) + "+" +
                           std::to_string(view.senseInfoLength()) + " outside the block of " + std::to_string(blockSize));
    }
    if (view.dataIn() > SCSI_IOCTL_DATA_UNSPECIFIED) return invalid("DataIn " + std::to_string(view.dataIn()));
    const uint32_t transfer = view.dataTransferLength();
    if (transfer && !data) return invalid("no data buffer for " + std::to_string(transfer) + " bytes");
    if (transfer && isDataInCommand(opcode) && view.dataIn() != SCSI_IOCTL_DATA_IN)
        return invalid("DataIn must be 1 for a command that returns data");
    if (transfer && isNoDataCommand(opcode)) return invalid("the command moves no data");
    if (const auto asked = allocationLength(view.cdb(), cdbLength); asked && transfer > *asked)
        return invalid("DataTransferLength " + std::to_string(transfer) + " exceeds the allocation length " +
                       std::to_string(*asked));

    if (handle.drive && opcode == 0x12 && !(view.cdb()[1] & 0x01))
        return answerInquiry(call, *handle.drive, block, data, returned);
    for (auto& feature : m_core.features()) {
        BOOL result = FALSE;
        if (feature->passThrough(m_core, handle.device, block, data, returned, &result))
            return call.result(result, renderBool(result, m_core.lastError()));
    }
    // No one knows the command: the device ends it with CHECK CONDITION, and the request
    // itself is carried.
    const bool evpd = opcode == 0x12;
    m_core.countUnknownRequest("SCSI operation code " + renderHex(opcode) + (evpd ? " (vital product data)" : ""));
    *returned = completeCheckCondition(block, SenseIllegalRequest, evpd ? AscInvalidFieldInCdb : AscInvalidOpcode, 0);
    return call.result<BOOL>(TRUE, "TRUE (CHECK CONDITION)");
}

BOOL SimIo::answerInquiry(CallRecord& call, const SimDrive& drive, uint8_t* block, void* data, DWORD* returned) {
    const platform::PassThroughView view{block};
    const uint32_t asked = std::min<uint32_t>(*allocationLength(view.cdb(), view.cdbLength()), view.dataTransferLength());
    const uint32_t count = std::min<uint32_t>(asked, uint32_t(drive.inquiry.data.size()));
    if (count) std::memcpy(data, drive.inquiry.data.data(), count);
    *returned = completeGood(block, count);
    call.note("INQUIRY: " + std::to_string(count) + " bytes");
    return call.succeed();
}

}  // namespace zv::sim
