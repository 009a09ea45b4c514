// The fields of the NVMe Identify Controller (CNS 01h) and Identify Namespace (CNS 00h)
// pages that the program reads; both pages are 4096 bytes.
#pragma once

#include <cstdint>
#include <string>

namespace zv::smart {

inline constexpr size_t kNvmeIdentifySize = 4096;

struct NvmeControllerIdentity {
    std::string serial;    // bytes 4-23
    std::string model;     // bytes 24-63
    std::string firmware;  // bytes 64-71
};

// An ASCII field of an identify page: blanks and NULs removed from both ends. Unlike the
// ATA strings the characters are stored in order.
std::string NvmeIdentifyText(const uint8_t* field, size_t length);

NvmeControllerIdentity DecodeNvmeIdentifyController(const uint8_t* page);

// The namespace's size in bytes: its size in logical blocks (NSZE, bytes 0-7) times the data
// size of the LBA format in use (FLBAS, byte 26, picks the entry of the format table at byte
// 128). 0 when the format's data size is not given or the product does not fit in 63 bits.
int64_t NvmeNamespaceSizeBytes(const uint8_t* page);

}  // namespace zv::smart
