// The "drives" section: one drive per letter with its volume, space, device answers,
// identity and storage descriptor.
#include "platform/sim/sim_loader.h"

#include "common/utf.h"
#include "platform/sim/sim_text.h"

#include <algorithm>

namespace zv::sim {

namespace {

struct FlagName {
    const char* name;
    DWORD value;
};
constexpr FlagName FlagNames[] = {
    {"FILE_CASE_SENSITIVE_SEARCH", FILE_CASE_SENSITIVE_SEARCH},
    {"FILE_CASE_PRESERVED_NAMES", FILE_CASE_PRESERVED_NAMES},
    {"FILE_UNICODE_ON_DISK", FILE_UNICODE_ON_DISK},
    {"FILE_PERSISTENT_ACLS", FILE_PERSISTENT_ACLS},
    {"FILE_FILE_COMPRESSION", FILE_FILE_COMPRESSION},
    {"FILE_VOLUME_QUOTAS", FILE_VOLUME_QUOTAS},
    {"FILE_SUPPORTS_SPARSE_FILES", FILE_SUPPORTS_SPARSE_FILES},
    {"FILE_SUPPORTS_REPARSE_POINTS", FILE_SUPPORTS_REPARSE_POINTS},
    {"FILE_VOLUME_IS_COMPRESSED", FILE_VOLUME_IS_COMPRESSED},
    {"FILE_SUPPORTS_OBJECT_IDS", FILE_SUPPORTS_OBJECT_IDS},
    {"FILE_SUPPORTS_ENCRYPTION", FILE_SUPPORTS_ENCRYPTION},
    {"FILE_READ_ONLY_VOLUME", FILE_READ_ONLY_VOLUME},
};

DWORD defaultFlags(const std::string& fileSystem) {
    const std::string fs = upper(fileSystem);
    if (fs == "NTFS") return 0x300FF;
    if (fs == "CDFS" || fs == "UDF") return 0x80005;
    return 0x6;
}

DWORD readFlags(const JsonReader& volume) {
    const JsonReader flags = volume.child("flags");
    if (!flags.json().is_array()) return readDword(volume, "flags", 0);
    DWORD value = 0;
    for (const JsonReader& item : flags.items()) {
        if (!item.json().is_string()) item.fail("expected a flag name such as \"FILE_CASE_PRESERVED_NAMES\"");
        const std::string name = item.json().get<std::string>();
        auto found = std::find_if(std::begin(FlagNames), std::end(FlagNames),
                                  [&](const FlagName& f) { return name == f.name; });
        if (found == std::end(FlagNames)) item.fail("unknown file-system flag \"" + name + "\"");
        value |= found->value;
    }
    return value;
}

DWORD readSerial(const JsonReader& volume) {
    const JsonReader serial = volume.child("serial");
    if (serial.json().is_string()) {
        std::string text = serial.json().get<std::string>();
        text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '-' || c == ' '; }), text.end());
        const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const auto value = parseUnsigned(prefixed ? text : "0x" + text);
        if (!value || *value > 0xFFFFFFFFull) serial.fail("expected a 32-bit serial such as \"1A2B-3C4D\"");
        return DWORD(*value);
    }
    return readDword(volume, "serial", 0);
}

std::string fixedField(const JsonReader& parent, const char* key, size_t width) {
    std::string text = parent.string(key, "");
    if (text.size() > width)
        parent.child(key).fail("longer than " + std::to_string(width) + " bytes");
    text.resize(width, ' ');
    return text;
}

// Standard inquiry data (SPC-3, 6.4.2) from readable fields.
std::vector<uint8_t> encodeInquiry(const JsonReader& inquiry, UINT driveType) {
    inquiry.allowOnly({"vendor", "product", "revision", "vendor_specific", "peripheral_type", "removable", "version"});
    const std::string vendor = fixedField(inquiry, "vendor", 8);
    const std::string product = fixedField(inquiry, "product", 16);
    const std::string revision = fixedField(inquiry, "revision", 4);
    const std::string extra = inquiry.string("vendor_specific", "");
    if (extra.size() > 219) inquiry.child("vendor_specific").fail("longer than 219 bytes");
    const DWORD type = readDword(inquiry, "peripheral_type", driveType == DRIVE_CDROM ? 5 : 0);
    if (type > 0x1F) inquiry.child("peripheral_type").fail("expected a peripheral device type 0..31");
    const bool removable = inquiry.boolean("removable", driveType == DRIVE_REMOVABLE || driveType == DRIVE_CDROM);
    const DWORD version = readDword(inquiry, "version", 5);
    if (version > 255) inquiry.child("version").fail("expected a byte");

    std::vector<uint8_t> data(36 + extra.size(), 0);
    data[0] = uint8_t(type);
    data[1] = removable ? 0x80 : 0x00;
    data[2] = uint8_t(version);
    data[3] = 0x02;  // response data format
    data[4] = uint8_t(data.size() - 5);
    std::copy(vendor.begin(), vendor.end(), data.begin() + 8);
    std::copy(product.begin(), product.end(), data.begin() + 16);
    std::copy(revision.begin(), revision.end(), data.begin() + 32);
    std::copy(extra.begin(), extra.end(), data.begin() + 36);
    return data;
}

void readInquiry(const JsonReader& inquiry, UINT driveType, SimInquiry* out) {
    out->present = true;
    if (readFailureObject(inquiry, &out->error)) return;
    if (inquiry.has("bytes")) {
        inquiry.allowOnly({"bytes"});
        out->data = inquiry.bytes("bytes");
        if (out->data.empty() || out->data.size() > 255)
            inquiry.child("bytes").fail("inquiry data must be 1 to 255 bytes, found " + std::to_string(out->data.size()));
        return;
    }
    out->data = encodeInquiry(inquiry, driveType);
}

void defaultStorage(SimDrive& drive) {
    SimStorage& s = drive.storage;
    switch (drive.type) {
    case DRIVE_REMOVABLE: s.busType = BusTypeUsb; s.removableMedia = true; break;
    case DRIVE_FIXED: s.busType = BusTypeAta; s.removableMedia = false; break;
    case DRIVE_CDROM: s.busType = BusTypeAtapi; s.removableMedia = true; break;
    case DRIVE_RAMDISK: s.busType = BusTypeUnknown; s.removableMedia = false; break;
    default: s.error = ERROR_INVALID_FUNCTION; break;
    }
}

void identityFromInquiry(SimDrive& drive) {
    const auto& data = drive.inquiry.data;
    if (data.size() < 36) return;
    auto field = [&](size_t at, size_t width) { return std::string(data.begin() + long(at), data.begin() + long(at + width)); };
    drive.storage.deviceType = data[0] & 0x1F;
    drive.storage.vendor = field(8, 8);
    drive.storage.product = field(16, 16);
    drive.storage.revision = field(32, 4);
}

void readStorage(const JsonReader& storage, SimDrive& drive) {
    SimStorage& s = drive.storage;
    s.error = 0;
    if (readFailureObject(storage, &s.error)) return;
    storage.allowOnly({"bus_type", "removable_media", "device_type", "device_type_modifier", "vendor", "product",
                       "revision", "serial", "command_queueing"});
    s.busType = readDword(storage, "bus_type", s.busType);
    s.removableMedia = storage.boolean("removable_media", s.removableMedia);
    const DWORD type = readDword(storage, "device_type", s.deviceType);
    const DWORD modifier = readDword(storage, "device_type_modifier", 0);
    if (type > 255) storage.child("device_type").fail("expected a byte");
    if (modifier > 255) storage.child("device_type_modifier").fail("expected a byte");
    s.deviceType = uint8_t(type);
    s.deviceTypeModifier = uint8_t(modifier);
    s.commandQueueing = storage.boolean("command_queueing", false);
    s.vendor = storage.string("vendor", s.vendor);
    s.product = storage.string("product", s.product);
    s.revision = storage.string("revision", s.revision);
    if (storage.has("serial")) s.serial = storage.string("serial");
    for (const char* key : {"vendor", "product", "revision", "serial"})
        if (storage.has(key) && storage.string(key).size() > 100) storage.child(key).fail("longer than 100 bytes");
}

void readDevice(const JsonReader& drive, SimDrive& out) {
    const JsonReader device = drive.child("device");
    auto answer = [](const JsonReader& parent, const char* key) -> DWORD {
        const JsonReader value = parent.child(key);
        if (value.json().is_string() && value.json().get<std::string>() == "ok") return 0;
        const DWORD code = readErrorCode(parent, key);
        if (code == 0) value.fail("write \"ok\" for success, or a nonzero error code");
        return code;
    };
    if (device.json().is_object()) {
        device.allowOnly({"read_write", "query"});
        if (device.has("read_write")) out.deviceReadWrite = answer(device, "read_write");
        if (device.has("query")) out.deviceQuery = answer(device, "query");
    } else {
        out.deviceReadWrite = out.deviceQuery = answer(drive, "device");
    }
}

void defaultDosDevices(SimMachine& m) {
    int volumes = 1, cdroms = 0, floppies = 0;
    for (const auto& drive : m.drives) {
        if (!drive->dosDevice.empty()) continue;
        if (drive->type == DRIVE_CDROM) drive->dosDevice = "\\Device\\CdRom" + std::to_string(cdroms++);
        else if (drive->type == DRIVE_REMOVABLE && drive->letter <= 'B') drive->dosDevice = "\\Device\\Floppy" + std::to_string(floppies++);
        else if (drive->type != DRIVE_REMOTE) drive->dosDevice = "\\Device\\HarddiskVolume" + std::to_string(volumes++);
    }
}

const std::vector<std::string> CoreDriveKeys = {
    "letter", "type", "volume", "space", "medium_present", "device", "inquiry", "storage", "dos_device",
    "volume_guid", "read_speed", "read_only", "root_writable", "writable_folder", "read_cache"};

}  // namespace

void readVolume(const JsonReader& volume, UINT driveType, SimVolume* out) {
    if (readFailureObject(volume, &out->error)) return;
    volume.allowOnly({"label", "serial", "max_component_length", "flags", "file_system"});
    out->label = volume.string("label", "");
    if (out->label.size() > 255) volume.child("label").fail("longer than 255 bytes");
    if (!isValidUtf8(out->label)) volume.child("label").fail("the label is not UTF-8");
    if (volume.has("serial")) out->serial = readSerial(volume);
    out->maxComponentLength = readDword(volume, "max_component_length", 255);
    out->fileSystem = volume.string("file_system", driveType == DRIVE_CDROM ? "CDFS" : "NTFS");
    if (out->fileSystem.size() > 31) volume.child("file_system").fail("longer than 31 bytes");
    out->flags = volume.has("flags") ? readFlags(volume) : defaultFlags(out->fileSystem);
}

void readSpace(const JsonReader& space, SimSpace* out) {
    if (readFailureObject(space, &out->error)) return;
    space.allowOnly({"total", "free_to_caller", "total_free", "sectors_per_cluster", "bytes_per_sector",
                     "free_clusters", "total_clusters"});
    out->bytesPerSector = readDword(space, "bytes_per_sector", 512);
    out->sectorsPerCluster = readDword(space, "sectors_per_cluster", 8);
    if (out->bytesPerSector == 0) space.child("bytes_per_sector").fail("must be at least 1");
    if (out->sectorsPerCluster == 0) space.child("sectors_per_cluster").fail("must be at least 1");
    if (space.has("total_clusters")) out->totalClusters = space.unsignedInteger("total_clusters");
    if (space.has("free_clusters")) out->freeClusters = space.unsignedInteger("free_clusters");
    const uint64_t cluster = out->clusterSize();
    out->total = space.unsignedInteger("total", out->totalClusters ? *out->totalClusters * cluster : out->total);
    if (space.has("total_free")) out->totalFree = space.unsignedInteger("total_free");
    else if (space.has("free_to_caller")) out->totalFree = space.unsignedInteger("free_to_caller");
    else if (out->freeClusters) out->totalFree = *out->freeClusters * cluster;
    else out->totalFree = out->total / 2;
    out->freeToCaller = space.unsignedInteger("free_to_caller", out->totalFree);
    if (out->totalFree > out->total) space.child(space.has("total_free") ? "total_free" : "free_to_caller").fail("more free bytes than the total");
    if (out->freeToCaller > out->total) space.child("free_to_caller").fail("more free bytes than the total");
}

void loadDrives(SimCore& core, const JsonReader& root) {
    if (!root.has("drives")) return;
    std::vector<std::string> keys = CoreDriveKeys;
    for (const auto& feature : core.features()) {
        const auto more = feature->driveKeys();
        keys.insert(keys.end(), more.begin(), more.end());
    }
    SimMachine& m = core.machine();
    for (const JsonReader& entry : root.items("drives")) {
        entry.allowOnly(keys);
        auto drive = std::make_unique<SimDrive>();
        drive->letter = readLetter(entry, "letter");
        if (core.letterDefined(drive->letter))
            entry.child("letter").fail(std::string("drive ") + drive->letter + ": is listed twice");
        drive->type = readDword(entry, "type", DRIVE_FIXED);
        drive->volume.fileSystem = drive->type == DRIVE_CDROM ? "CDFS" : "NTFS";
        drive->volume.flags = defaultFlags(drive->volume.fileSystem);
        if (entry.has("volume")) readVolume(entry.child("volume"), drive->type, &drive->volume);
        if (entry.has("space")) readSpace(entry.child("space"), &drive->space);
        drive->mediumPresent = entry.boolean("medium_present", true);
        if (drive->type == DRIVE_REMOTE) drive->deviceReadWrite = drive->deviceQuery = ERROR_INVALID_FUNCTION;
        else if (drive->type != DRIVE_REMOVABLE && drive->type != DRIVE_FIXED && drive->type != DRIVE_CDROM && drive->type != DRIVE_RAMDISK)
            drive->deviceReadWrite = drive->deviceQuery = ERROR_FILE_NOT_FOUND;
        if (entry.has("device")) readDevice(entry, *drive);
        if (entry.has("inquiry")) readInquiry(entry.child("inquiry"), drive->type, &drive->inquiry);
        defaultStorage(*drive);
        identityFromInquiry(*drive);
        if (entry.has("storage")) readStorage(entry.child("storage"), *drive);
        drive->dosDevice = entry.string("dos_device", "");
        drive->volumeGuid = entry.string("volume_guid", "");
        if (!drive->volumeGuid.empty() &&
            (!startsWithNoCase(drive->volumeGuid, "\\\\?\\Volume{") || drive->volumeGuid.size() < 14 ||
             drive->volumeGuid.substr(drive->volumeGuid.size() - 2) != "}\\"))
            entry.child("volume_guid").fail("expected a volume name such as \"\\\\\\\\?\\\\Volume{...}\\\\\"");
        drive->readSpeed = entry.unsignedInteger("read_speed", drive->readSpeed);
        if (drive->readSpeed == 0) entry.child("read_speed").fail("must be at least 1 byte per second");
        if (entry.has("read_only")) {
            const JsonReader readOnly = entry.child("read_only");
            if (readOnly.json().is_boolean()) drive->readOnlyError = readOnly.json().get<bool>() ? ERROR_WRITE_PROTECT : 0;
            else drive->readOnlyError = readErrorCode(entry, "read_only");
        }
        drive->rootWritable = entry.boolean("root_writable", true);
        drive->readCache = entry.string("read_cache", "");
        m.definitions[drive->letter - 'A'].push_back(SimDosDefinition{drive.get(), {}});
        if (entry.has("writable_folder")) {
            const std::string folder = entry.string("writable_folder");
            const std::string canonical = canonicalPath(folder);
            if (letterOf(canonical) != drive->letter || canonical.size() < 3 || canonical[2] != '\\')
                entry.child("writable_folder").fail(std::string("expected a folder on ") + drive->letter + ":");
            drive->writableFolder = folder;
            while (drive->writableFolder.size() > 3 && (drive->writableFolder.back() == '\\' || drive->writableFolder.back() == '/'))
                drive->writableFolder.pop_back();
            core.addFolder(canonical);
        }
        m.drives.push_back(std::move(drive));
    }
    defaultDosDevices(m);
}

}  // namespace zv::sim
