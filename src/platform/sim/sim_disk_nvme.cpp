// The storage property requests on a simulated physical disk: its device descriptor and,
// for an NVMe disk, Identify and Get Log Page through the protocol-specific properties,
// checked field by field as the storage driver checks them.
#include <algorithm>
#include <cstring>

#include "platform/api/codec.h"
#include "platform/api/storage_protocol.h"
#include "platform/sim/sim_disk_model.h"

namespace zv::sim {

using platform::ProtocolDescriptorLayout;
using platform::ProtocolQueryLayout;
using platform::StorageProtocolSpecificData;

namespace {

constexpr size_t kDescriptorHeader = 40;

BOOL refuse(DWORD code, const std::string& why, DWORD* error, std::string* note) {
    *error = code;
    *note = why;
    return FALSE;
}

// The page a request names; null (with the refusal) when it names none.
const std::vector<uint8_t>* pageOf(const SimDisk& disk, DWORD propertyId,
                                   const StorageProtocolSpecificData& r, DWORD* error, std::string* note) {
    const SimNvme& nvme = *disk.nvme;
    if (r.dataType == platform::NVMeDataTypeIdentify) {
        if (const SimDiskFailure* f = disk.failure("nvme_identify", -1)) {
            refuse(f->error, "identify failure from the machine file", error, note);
            return nullptr;
        }
        if (r.requestValue == platform::NVME_IDENTIFY_CNS_CONTROLLER) return &nvme.identifyController;
        if (r.requestValue == platform::NVME_IDENTIFY_CNS_SPECIFIC_NAMESPACE &&
            propertyId == platform::StorageDeviceProtocolSpecificProperty) {
            if (r.requestSubValue != 0 && r.requestSubValue != nvme.namespaceId) {
                refuse(ERROR_INVALID_PARAMETER, "no namespace " + std::to_string(r.requestSubValue), error,
                       note);
                return nullptr;
            }
            return &nvme.identifyNamespace;
        }
        refuse(ERROR_NOT_SUPPORTED, "identify CNS " + std::to_string(r.requestValue) + " is not offered",
               error, note);
        return nullptr;
    }
    if (r.dataType == platform::NVMeDataTypeLogPage) {
        if (r.requestValue != platform::NVME_LOG_PAGE_HEALTH_INFO) {
            refuse(ERROR_NOT_SUPPORTED, "log page " + std::to_string(r.requestValue) + " is not offered",
                   error, note);
            return nullptr;
        }
        if (r.requestSubValue != 0 || r.requestSubValue2 != 0) {
            refuse(ERROR_INVALID_PARAMETER, "the health log is read from its start", error, note);
            return nullptr;
        }
        if (const SimDiskFailure* f = disk.failure("nvme_log", -1)) {
            refuse(f->error, "log page failure from the machine file", error, note);
            return nullptr;
        }
        return &nvme.healthLog;
    }
    refuse(ERROR_NOT_SUPPORTED, "NVMe data type " + std::to_string(r.dataType) + " is not offered", error,
           note);
    return nullptr;
}

}  // namespace

std::vector<uint8_t> encodeDiskDeviceDescriptor(const SimDisk& disk) {
    std::vector<uint8_t> bytes(kDescriptorHeader, 0);
    auto addString = [&bytes](const std::string& text, size_t field) {
        if (text.empty()) return;
        codec::putLe32(&bytes[field], uint32_t(bytes.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    };
    DWORD bus = disk.atapi ? BusTypeAtapi : BusTypeAta;
    if (disk.nvme) {
        bus = BusTypeNvme;
        auto text = [&disk](size_t offset, size_t length) {
            std::string t(reinterpret_cast<const char*>(&disk.nvme->identifyController[offset]), length);
            while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.pop_back();
            return t;
        };
        addString(text(24, 40), 16);  // ProductId: the model
        addString(text(64, 8), 20);   // ProductRevision: the firmware
        addString(text(4, 20), 24);   // SerialNumber
    }
    codec::putLe32(&bytes[0], uint32_t(kDescriptorHeader));
    codec::putLe32(&bytes[4], uint32_t(bytes.size()));
    bytes[8] = disk.atapi ? 5 : 0;  // DeviceType
    codec::putLe32(&bytes[28], bus);
    return bytes;
}

BOOL answerNvmeProtocolQuery(const SimDisk& disk, const uint8_t* in, DWORD inSize, uint8_t* out,
                             DWORD outSize, DWORD* returned, DWORD* error, std::string* note) {
    if (!in || inSize < ProtocolQueryLayout::Size)
        return refuse(ERROR_INVALID_PARAMETER, "a protocol query needs 48 bytes", error, note);
    const DWORD propertyId = codec::getLe32(in + ProtocolQueryLayout::PropertyId);
    if (codec::getLe32(in + ProtocolQueryLayout::QueryType) != platform::PropertyStandardQuery)
        return refuse(ERROR_INVALID_PARAMETER, "protocol data answers the standard query only", error, note);
    StorageProtocolSpecificData r = StorageProtocolSpecificData::decode(in + ProtocolQueryLayout::Parameters);
    if (!disk.nvme) return refuse(ERROR_NOT_SUPPORTED, "not an NVMe disk", error, note);
    if (r.protocolType != platform::ProtocolTypeNvme)
        return refuse(ERROR_NOT_SUPPORTED, "protocol type " + std::to_string(r.protocolType), error, note);
    if (r.dataOffset < StorageProtocolSpecificData::Size || r.dataLength < 512)
        return refuse(ERROR_INVALID_PARAMETER, "data offset below 40 or data length below 512", error, note);
    const size_t replySize = size_t(ProtocolDescriptorLayout::Parameters) + r.dataOffset + r.dataLength;
    if (!out || outSize < replySize)
        return refuse(ERROR_INSUFFICIENT_BUFFER,
                      "reply of " + std::to_string(replySize) + " bytes, buffer " + std::to_string(outSize),
                      error, note);
    const std::vector<uint8_t>* page = pageOf(disk, propertyId, r, error, note);
    if (!page) return FALSE;
    const size_t copied = std::min<size_t>(page->size(), r.dataLength);
    std::memset(out, 0, replySize);
    codec::putLe32(out + ProtocolDescriptorLayout::Version, ProtocolDescriptorLayout::Size);
    codec::putLe32(out + ProtocolDescriptorLayout::SizeField, ProtocolDescriptorLayout::Size);
    r.dataLength = DWORD(copied);
    r.encode(out + ProtocolDescriptorLayout::Parameters);
    std::memcpy(out + ProtocolDescriptorLayout::Parameters + r.dataOffset, page->data(), copied);
    *returned = DWORD(ProtocolDescriptorLayout::Parameters + r.dataOffset + copied);
    *note = "NVMe data type " + std::to_string(r.dataType) + " value " + std::to_string(r.requestValue) +
            ", " + std::to_string(copied) + " bytes";
    return TRUE;
}

}  // namespace zv::sim
