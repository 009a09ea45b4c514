// Names of partition types: the MBR type byte and the GPT type identifier.
#pragma once

#include "platform/api/disk_requests.h"

#include <cstdint>
#include <string>

namespace zv::diskinfo {

// The published Windows list of MBR type codes; "Unknown partition type" for the others.
std::string PartitionTypeName(uint8_t partitionType);

// The usual names of GPT partition types ("EFI System", "Microsoft basic data", "Linux
// filesystem" ...); "Unknown partition type" for the others.
std::string GptPartitionTypeName(const platform::Guid& type);

// The GPT type of the EFI system partition.
bool IsEfiSystemPartition(const platform::Guid& type);

}  // namespace zv::diskinfo
