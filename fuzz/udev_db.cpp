// A udev database record (/run/udev/data/bMAJ:MIN) as the backend reads it: the properties,
// the "\xHH" escapes of the _ENC forms, and what the partition layout and the volume
// identity make of them. The input is the record of the desktop machine's third partition
// (sda3) .
#include "platform/linux/disk_layout.h"
#include "platform/linux/udev_db.h"
#include "platform/linux/volume_probe.h"
#include "support/check.h"
#include "support/recorded_machine.h"

#include <cstdio>

using namespace zv;

namespace {

// Every byte as udev escapes it.
std::string escaped(const std::string& bytes) {
    std::string out;
    char code[5];
    for (unsigned char c : bytes) {
        std::snprintf(code, sizeof code, "\\x%02x", c);
        out += code;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = fuzz::recordedRoot("desktop");
    fuzz::writeFile(root + "/run/udev/data/b8:3", data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    const lnx::UdevRecord record = lnx::readUdevRecord(root, 8, 3);
    FUZZ_CHECK(record.present);
    for (const auto& [key, value] : record.properties) {
        // A property is one line: its name and value hold no line break, its name no '='.
        FUZZ_CHECK(key.find('\n') == std::string::npos && value.find('\n') == std::string::npos);
        FUZZ_CHECK(key.find('=') == std::string::npos);
        FUZZ_CHECK(record.value(key) == value);
        FUZZ_CHECK(record.decoded(key).size() <= value.size() || record.properties.count(key + "_ENC"));
    }

    // Escapes: every byte escaped reads back as the byte; decoding never grows a text.
    FUZZ_CHECK(lnx::decodeUdevEscapes(escaped(text)) == text);
    FUZZ_CHECK(lnx::decodeUdevEscapes(text).size() <= text.size());

    // The record where the backend uses it: the disk's layout from sysfs and the udev
    // database, and the volume's identity.
    const lnx::DiskLayout layout = lnx::sysfsDiskLayout(root, "sda");
    FUZZ_CHECK(layout.found && layout.partitions.size() == 3);
    for (const auto& p : layout.partitions) FUZZ_CHECK(p.gptName.size() <= 36);
    lnx::encodeOldLayout(layout);
    lnx::encodeLayoutEx(layout);
    lnx::probeVolume(root, "/dev/sda3", 8, 3);
    return 0;
}
