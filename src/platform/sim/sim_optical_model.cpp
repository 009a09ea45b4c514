#include "platform/sim/sim_optical_model.h"

#include "platform/api/codec.h"
#include "platform/sim/json_reader.h"

#include <array>
#include <stdexcept>

namespace zv::sim {

namespace {

struct CapabilityField {
    const char* key;
    size_t byte;
    int bit;
};

// MMC-3 mode page 0x2A, bytes 2 (read) and 3 (write).
constexpr std::array<CapabilityField, 11> kCapabilityFields = {{
    {"read_cd_r", 2, 0},
    {"read_cd_rw", 2, 1},
    {"read_method_2", 2, 2},
    {"read_dvd_rom", 2, 3},
    {"read_dvd_r", 2, 4},
    {"read_dvd_ram", 2, 5},
    {"write_cd_r", 3, 0},
    {"write_cd_rw", 3, 1},
    {"write_test", 3, 2},
    {"write_dvd_r", 3, 4},
    {"write_dvd_ram", 3, 5},
}};

constexpr size_t kPageSize = 30;  // page code, page length 0x1C, 28 bytes

uint16_t readWord(const JsonReader& reader, const char* key, uint16_t fallback) {
    const uint64_t value = reader.unsignedInteger(key, fallback);
    if (value > 0xFFFF) reader.child(key).fail("expected 0 to 65535");
    return uint16_t(value);
}

void loadReadiness(const JsonReader& optical, SimOpticalDrive& drive) {
    if (!optical.has("test_unit_ready")) return;
    const JsonReader value = optical.child("test_unit_ready");
    if (value.json().is_string()) {
        const std::string text = value.json().get<std::string>();
        if (text == "ready") drive.readiness = SimOpticalDrive::Readiness::Ready;
        else if (text == "not_ready") drive.readiness = SimOpticalDrive::Readiness::NotReady;
        else if (text == "unresponsive") drive.readiness = SimOpticalDrive::Readiness::Unresponsive;
        else value.fail("expected \"ready\", \"not_ready\", \"unresponsive\" or {\"ready_after\": N}, found \"" + text + "\"");
        return;
    }
    value.allowOnly({"ready_after"});
    const uint64_t after = value.unsignedInteger("ready_after");
    if (after > 1000000) value.child("ready_after").fail("expected at most 1000000 requests");
    drive.readiness = SimOpticalDrive::Readiness::ReadyAfter;
    drive.readyAfter = uint32_t(after);
}

void loadCapabilities(const JsonReader& optical, SimOpticalDrive& drive) {
    if (!optical.has("mode_page_2a")) {
        // A plain CD-ROM reader.
        drive.capabilityPage.assign(kPageSize, 0);
        drive.capabilityPage[2] = 0x03;
        codec::putBe16(&drive.capabilityPage[8], 7056);
        codec::putBe16(&drive.capabilityPage[12], 128);
        return;
    }
    const JsonReader page = optical.child("mode_page_2a");
    if (page.has("bytes")) {
        page.allowOnly({"bytes", "block_descriptor_length"});
        drive.capabilityPage = page.bytes("bytes");
        if (drive.capabilityPage.size() < 2 || drive.capabilityPage.size() > 256)
            page.child("bytes").fail("expected 2 to 256 bytes of the page, from its page code on");
        drive.recordedPage = true;
    } else {
        std::vector<std::string> keys = {"buffer_kb", "max_read_kbps", "max_write_kbps", "block_descriptor_length"};
        for (const auto& field : kCapabilityFields) keys.emplace_back(field.key);
        page.allowOnly(keys);
        drive.capabilityPage.assign(kPageSize, 0);
        for (const auto& field : kCapabilityFields)
            if (page.boolean(field.key, false)) drive.capabilityPage[field.byte] |= uint8_t(1u << field.bit);
        codec::putBe16(&drive.capabilityPage[8], readWord(page, "max_read_kbps", 0));
        codec::putBe16(&drive.capabilityPage[12], readWord(page, "buffer_kb", 0));
        codec::putBe16(&drive.capabilityPage[18], readWord(page, "max_write_kbps", 0));
    }
    drive.blockDescriptorLength = readWord(page, "block_descriptor_length", 0);
    if (drive.blockDescriptorLength > 64) page.child("block_descriptor_length").fail("expected at most 64 bytes");
}

void loadDiscStructure(const JsonReader& optical, SimOpticalDrive& drive) {
    if (!optical.has("disc_structure")) return;
    const JsonReader structure = optical.child("disc_structure");
    if (structure.has("bytes")) {
        structure.allowOnly({"bytes"});
        drive.physicalFormat = structure.bytes("bytes");
        if (drive.physicalFormat.size() < 4 || drive.physicalFormat.size() > 2048)
            structure.child("bytes").fail("expected 4 to 2048 bytes of physical format information");
        return;
    }
    structure.allowOnly({"book_type", "part_version", "disc_size", "max_rate", "layers", "track_path", "layer_type",
                         "linear_density", "track_density"});
    auto nibble = [&](const char* key, uint64_t limit) {
        const uint64_t value = structure.unsignedInteger(key, 0);
        if (value > limit) structure.child(key).fail("expected 0 to " + std::to_string(limit));
        return uint8_t(value);
    };
    drive.physicalFormat.assign(2048, 0);
    drive.physicalFormat[0] = uint8_t(nibble("book_type", 15) << 4 | nibble("part_version", 15));
    drive.physicalFormat[1] = uint8_t(nibble("disc_size", 15) << 4 | nibble("max_rate", 15));
    drive.physicalFormat[2] = uint8_t(nibble("layers", 3) << 5 | nibble("track_path", 1) << 4 | nibble("layer_type", 15));
    drive.physicalFormat[3] = uint8_t(nibble("linear_density", 15) << 4 | nibble("track_density", 15));
}

}  // namespace

SimOpticalDrive loadOpticalDrive(const JsonReader& optical) {
    optical.allowOnly({"test_unit_ready", "profile", "profiles", "mode_page_2a", "disc_structure", "tray", "door_locked",
                       "can_eject", "can_close", "lockable", "mode_page_2a_defaults"});
    SimOpticalDrive drive;
    loadReadiness(optical, drive);
    drive.profile = readWord(optical, "profile", drive.profile);
    if (optical.has("profiles")) {
        for (const JsonReader& item : optical.items("profiles")) {
            const auto& json = item.json();
            uint64_t value = 0;
            if (json.is_number_unsigned()) value = json.get<uint64_t>();
            else if (json.is_string()) {
                const std::string text = json.get<std::string>();
                size_t used = 0;
                try {
                    value = std::stoull(text, &used, 0);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used == 0 || used != text.size()) item.fail("expected a profile number, found \"" + text + "\"");
            } else {
                item.fail("expected a profile number");
            }
            if (value > 0xFFFF) item.fail("expected 0 to 65535");
            drive.profiles.push_back(uint16_t(value));
        }
    }
    if (drive.profiles.empty()) drive.profiles.push_back(drive.profile);
    loadCapabilities(optical, drive);
    drive.answersDefaultValues = optical.boolean("mode_page_2a_defaults", true);
    loadDiscStructure(optical, drive);
    const std::string tray = optical.string("tray", "closed");
    if (tray != "open" && tray != "closed") optical.child("tray").fail("expected \"open\" or \"closed\"");
    drive.trayOpen = tray == "open";
    drive.doorLocked = optical.boolean("door_locked", false);
    drive.canEject = optical.boolean("can_eject", true);
    drive.canClose = optical.boolean("can_close", true);
    drive.lockable = optical.boolean("lockable", true);
    if (drive.doorLocked && !drive.lockable) optical.child("door_locked").fail("the drive has no lock");
    return drive;
}

SimRemovableDisk loadRemovableDisk(const JsonReader& removable) {
    SimRemovableDisk disk;
    if (removable.json().is_boolean()) {
        disk.ejectable = removable.json().get<bool>();
        return disk;
    }
    removable.allowOnly({"ejectable", "lockable", "door_locked"});
    disk.ejectable = removable.boolean("ejectable", true);
    disk.lockable = removable.boolean("lockable", true);
    disk.doorLocked = removable.boolean("door_locked", false);
    return disk;
}

std::vector<uint8_t> capabilityPageFor(const SimOpticalDrive& drive) {
    std::vector<uint8_t> page = drive.capabilityPage;
    if (drive.recordedPage) return page;
    page[0] = 0x2A;
    page[1] = uint8_t(kPageSize - 2);
    page[4] = 0x71;  // audio play, mode 2 form 1 and 2, multisession
    page[5] = 0x03;  // CD-DA commands, accurate stream
    // Lock supported, lock state, eject supported, tray loading mechanism.
    page[6] = uint8_t((drive.lockable ? 0x01 : 0) | (drive.doorLocked ? 0x02 : 0) | (drive.canEject ? 0x08 : 0) | 0x20);
    codec::putBe16(&page[10], 256);                         // volume levels
    codec::putBe16(&page[14], codec::getBe16(&page[8]));    // current read speed
    codec::putBe16(&page[20], codec::getBe16(&page[18]));   // current write speed
    return page;
}

std::vector<uint8_t> defaultPhysicalFormat(uint16_t profile) {
    std::vector<uint8_t> format(2048, 0);
    uint8_t book = 0, layerType = 1;
    switch (profile) {
    case 0x0011: case 0x0015: case 0x0016: book = 2; layerType = 2; break;
    case 0x0012: book = 1; layerType = 4; break;
    case 0x0013: case 0x0014: case 0x0017: book = 3; layerType = 4; break;
    case 0x001A: case 0x002A: book = 9; layerType = 4; break;
    case 0x001B: case 0x002B: book = 10; layerType = 2; break;
    default: break;
    }
    const bool dual = profile == 0x0015 || profile == 0x0016 || profile == 0x0017 || profile == 0x002A || profile == 0x002B;
    format[0] = uint8_t(book << 4);
    format[1] = 0x02;  // 120 mm, 10.08 Mbps
    format[2] = uint8_t((dual ? 1 : 0) << 5 | layerType);
    format[3] = 0x00;  // 0.267 um/bit, 0.74 um/track
    return format;
}

}  // namespace zv::sim
