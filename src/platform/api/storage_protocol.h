// NVMe admin data through IOCTL_STORAGE_QUERY_PROPERTY with the protocol-specific property
// identifiers (ntddstor.h): the request is a STORAGE_PROPERTY_QUERY whose additional
// parameters are a STORAGE_PROTOCOL_SPECIFIC_DATA, the reply a STORAGE_PROTOCOL_DATA_DESCRIPTOR
// followed by the data the device returned. One buffer serves as input and output.
//
// What can be asked: Identify Controller (StorageAdapterProtocolSpecificProperty,
// NVMeDataTypeIdentify, CNS 01h), Identify Namespace (StorageDeviceProtocolSpecificProperty,
// NVMeDataTypeIdentify, CNS 00h, the namespace identifier in the sub value; 0 stands for the
// namespace the handle's device is) and a log page (either property, NVMeDataTypeLogPage,
// the log identifier in the request value; the SMART / Health Information log is asked for
// the controller as a whole).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/api/codec.h"
#include "platform/api/win32.h"

namespace zv::platform {

using namespace zv::win;

// STORAGE_PROPERTY_ID values
inline constexpr DWORD StorageDeviceProperty = 0;
inline constexpr DWORD StorageAdapterProtocolSpecificProperty = 49;
inline constexpr DWORD StorageDeviceProtocolSpecificProperty = 50;
// STORAGE_QUERY_TYPE
inline constexpr DWORD PropertyStandardQuery = 0;
// STORAGE_PROTOCOL_TYPE
inline constexpr DWORD ProtocolTypeNvme = 3;
// STORAGE_PROTOCOL_NVME_DATA_TYPE
inline constexpr DWORD NVMeDataTypeIdentify = 1;
inline constexpr DWORD NVMeDataTypeLogPage = 2;
// Identify CNS values and log identifiers (the NVM Express Base standard)
inline constexpr DWORD NVME_IDENTIFY_CNS_SPECIFIC_NAMESPACE = 0;
inline constexpr DWORD NVME_IDENTIFY_CNS_CONTROLLER = 1;
inline constexpr DWORD NVME_LOG_PAGE_HEALTH_INFO = 2;
inline constexpr DWORD NVME_IDENTIFY_DATA_SIZE = 4096;
inline constexpr DWORD NVME_HEALTH_INFO_LOG_SIZE = 512;

// STORAGE_PROTOCOL_SPECIFIC_DATA, 40 bytes. ProtocolDataOffset counts from the start of this
// structure.
struct StorageProtocolSpecificData {
    static constexpr DWORD Size = 40;
    DWORD protocolType = 0;
    DWORD dataType = 0;
    DWORD requestValue = 0;
    DWORD requestSubValue = 0;
    DWORD dataOffset = 0;
    DWORD dataLength = 0;
    DWORD fixedReturnData = 0;
    DWORD requestSubValue2 = 0;
    DWORD requestSubValue3 = 0;
    DWORD requestSubValue4 = 0;

    static StorageProtocolSpecificData decode(const uint8_t* p) {
        StorageProtocolSpecificData d;
        DWORD* fields[10] = {&d.protocolType,     &d.dataType,        &d.requestValue,    &d.requestSubValue,
                             &d.dataOffset,       &d.dataLength,      &d.fixedReturnData, &d.requestSubValue2,
                             &d.requestSubValue3, &d.requestSubValue4};
        for (size_t i = 0; i < 10; ++i) *fields[i] = codec::getLe32(p + 4 * i);
        return d;
    }
    void encode(uint8_t* p) const {
        const DWORD fields[10] = {protocolType,     dataType,        requestValue,    requestSubValue,
                                  dataOffset,       dataLength,      fixedReturnData, requestSubValue2,
                                  requestSubValue3, requestSubValue4};
        for (size_t i = 0; i < 10; ++i) codec::putLe32(p + 4 * i, fields[i]);
    }
};

// STORAGE_PROPERTY_QUERY with protocol-specific parameters: PropertyId, QueryType, then the
// STORAGE_PROTOCOL_SPECIFIC_DATA from byte 8.
struct ProtocolQueryLayout {
    static constexpr DWORD PropertyId = 0;
    static constexpr DWORD QueryType = 4;
    static constexpr DWORD Parameters = 8;
    static constexpr DWORD Size = 8 + StorageProtocolSpecificData::Size;  // 48
};

// STORAGE_PROTOCOL_DATA_DESCRIPTOR: Version and Size (both 48), the STORAGE_PROTOCOL_SPECIFIC_DATA
// as the device filled it in from byte 8, then the data at 8 + its ProtocolDataOffset.
struct ProtocolDescriptorLayout {
    static constexpr DWORD Version = 0;
    static constexpr DWORD SizeField = 4;
    static constexpr DWORD Parameters = 8;
    static constexpr DWORD Size = 8 + StorageProtocolSpecificData::Size;  // 48
};

// The whole buffer of one NVMe request: the query, then room for `dataLength` bytes.
inline std::vector<uint8_t> buildNvmeProtocolQuery(DWORD propertyId, DWORD dataType, DWORD requestValue,
                                                   DWORD requestSubValue, DWORD dataLength) {
    std::vector<uint8_t> buffer(ProtocolQueryLayout::Size + dataLength, 0);
    codec::putLe32(&buffer[ProtocolQueryLayout::PropertyId], propertyId);
    codec::putLe32(&buffer[ProtocolQueryLayout::QueryType], PropertyStandardQuery);
    StorageProtocolSpecificData data;
    data.protocolType = ProtocolTypeNvme;
    data.dataType = dataType;
    data.requestValue = requestValue;
    data.requestSubValue = requestSubValue;
    data.dataOffset = StorageProtocolSpecificData::Size;
    data.dataLength = dataLength;
    data.encode(&buffer[ProtocolQueryLayout::Parameters]);
    return buffer;
}

}  // namespace zv::platform
