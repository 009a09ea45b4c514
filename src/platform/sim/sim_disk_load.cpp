// Reading the physical disks of a machine file ("disks") and the disk of each drive letter.
#include "common/utf.h"
#include "platform/sim/json_reader.h"
#include "platform/sim/sim_disk_model.h"

#include <algorithm>

namespace zv::sim {

namespace {

// A few GPT type names may be written instead of their identifiers.
bool gptTypeByName(const std::string& name, platform::Guid* out) {
    static const std::pair<const char*, const char*> names[] = {
        {"EFI System", "C12A7328-F81F-11D2-BA4B-00A0C93EC93B"},
        {"Microsoft basic data", "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7"},
        {"Microsoft reserved", "E3C9E316-0B5C-4DB8-817D-F92DF00215AE"},
        {"Windows recovery environment", "DE94BBA4-06D1-4D40-A16A-BFD50179D6AC"},
        {"Linux filesystem", "0FC63DAF-8483-4772-8E79-3D69D8477DE4"},
        {"Linux swap", "0657FD6D-A4AB-43C4-84E5-0933C84B4F4F"},
        {"BIOS boot", "21686148-6449-6E6F-744E-656564454649"},
    };
    for (const auto& [n, guid] : names)
        if (name == n) return platform::parseGuid(guid, out);
    return platform::parseGuid(name, out);
}

uint8_t byteValue(const JsonReader& r, const char* key, int64_t fallback) {
    const int64_t v = r.integer(key, fallback);
    if (v < 0 || v > 255) r.child(key).fail("expected a value 0..255");
    return uint8_t(v);
}

SimPartition readMbrPartition(const JsonReader& p, bool allowLogical) {
    std::vector<std::string> keys = {"type", "boot", "start", "length", "number", "hidden_sectors"};
    if (allowLogical) keys.push_back("logical");
    p.allowOnly(keys);
    SimPartition e;
    e.type = byteValue(p, "type", 0x07);
    if (e.type == 0) p.child("type").fail("type 0 marks an unused entry; leave the partition out instead");
    e.boot = p.boolean("boot", false);
    e.start = p.unsignedInteger("start");
    e.length = p.unsignedInteger("length");
    e.number = uint32_t(p.unsignedInteger("number", 0));
    e.hiddenSectors = uint32_t(p.unsignedInteger("hidden_sectors", e.start / 512));
    return e;
}

bool isContainer(uint8_t type) { return type == 0x05 || type == 0x0F; }

// The old request lists the primary table, then one group of four per extended boot record:
// the logical partition and the link to the next record.
void readMbrLayout(const JsonReader& layout, SimLayout& out) {
    out.style = platform::PARTITION_STYLE_MBR;
    out.signature = uint32_t(layout.unsignedInteger("signature", 0));
    const auto partitions = layout.items("partitions");
    if (partitions.size() > 4) layout.child("partitions").fail("an MBR holds at most 4 primary entries");
    uint32_t nextNumber = 1;
    std::vector<SimPartition> primary;
    std::vector<SimPartition> logical;
    SimPartition container;
    bool haveContainer = false;
    for (const auto& p : partitions) {
        SimPartition e = readMbrPartition(p, true);
        if (isContainer(e.type)) {
            if (haveContainer) p.fail("an MBR holds one extended partition");
            haveContainer = true;
            e.number = 0;
            container = e;
            if (p.has("logical")) {
                for (const auto& l : p.items("logical")) {
                    SimPartition le = readMbrPartition(l, false);
                    if (isContainer(le.type)) l.fail("a logical partition cannot be extended");
                    le.hiddenSectors = uint32_t(l.unsignedInteger("hidden_sectors", 2048));
                    if (le.start < uint64_t(le.hiddenSectors) * 512 ||
                        le.start - uint64_t(le.hiddenSectors) * 512 < e.start || le.start + le.length > e.start + e.length)
                        l.fail("the logical partition lies outside its extended partition");
                    logical.push_back(le);
                }
            }
        } else if (p.has("logical")) {
            p.child("logical").fail("only an extended partition (type 5 or 0x0F) holds logical partitions");
        }
        primary.push_back(e);
    }
    for (auto& e : primary)
        if (!isContainer(e.type) && e.number == 0) e.number = nextNumber++;
    for (auto& e : logical)
        if (e.number == 0) e.number = nextNumber++;

    out.entries = primary;
    out.entries.resize(4);  // unused slots
    for (size_t k = 0; k < logical.size(); ++k) {
        out.entries.push_back(logical[k]);
        if (k + 1 < logical.size()) {
            const SimPartition& next = logical[k + 1];
            const uint64_t ebr = next.start - uint64_t(next.hiddenSectors) * 512;
            SimPartition link;
            link.type = 0x05;
            link.start = ebr;
            link.length = next.start + next.length - ebr;
            link.hiddenSectors = uint32_t((ebr - container.start) / 512);
            out.entries.push_back(link);
        } else {
            out.entries.emplace_back();
        }
        out.entries.resize(out.entries.size() + 2);
    }
}

void readGptLayout(const JsonReader& layout, SimLayout& out) {
    out.style = platform::PARTITION_STYLE_GPT;
    if (layout.has("disk_id") && !platform::parseGuid(layout.string("disk_id"), &out.diskId))
        layout.child("disk_id").fail("expected an identifier such as \"01234567-89AB-CDEF-0123-456789ABCDEF\"");
    uint32_t nextNumber = 1;
    for (const auto& p : layout.items("partitions")) {
        p.allowOnly({"type", "id", "name", "start", "length", "attributes", "number"});
        SimPartition e;
        if (!gptTypeByName(p.string("type"), &e.gptType))
            p.child("type").fail("expected a GPT type identifier or one of the names in docs/machine-file-disks.md");
        if (p.has("id") && !platform::parseGuid(p.string("id"), &e.gptId)) p.child("id").fail("expected an identifier");
        if (!p.has("id")) e.gptId[0] = uint8_t(nextNumber), e.gptId[15] = 0x5A;
        const std::string name = p.string("name", "");
        e.gptName = utf16FromUtf8(name);
        if (e.gptName.size() > 36) p.child("name").fail("a GPT name holds at most 36 UTF-16 units (a character beyond U+FFFF takes two)");
        e.start = p.unsignedInteger("start");
        e.length = p.unsignedInteger("length");
        e.gptAttributes = p.unsignedInteger("attributes", 0);
        e.number = uint32_t(p.unsignedInteger("number", nextNumber));
        nextNumber = e.number + 1;
        out.entries.push_back(e);
    }
}

void readLayout(const JsonReader& layout, SimLayout& out) {
    if (layout.has("error")) {
        layout.allowOnly({"error"});
        out.error = DWORD(layout.unsignedInteger("error"));
        return;
    }
    if (layout.has("bytes")) {
        layout.allowOnly({"bytes"});
        out.recorded = layout.bytes("bytes");
        if (out.recorded->size() < 8 || (out.recorded->size() - 8) % 32 != 0)
            layout.child("bytes").fail("a layout reply is 8 bytes and 32 per entry");
        return;
    }
    const std::string style = layout.string("style", "mbr");
    if (style == "mbr") {
        layout.allowOnly({"style", "signature", "partitions"});
        readMbrLayout(layout, out);
    } else if (style == "gpt") {
        layout.allowOnly({"style", "disk_id", "partitions"});
        readGptLayout(layout, out);
    } else {
        layout.child("style").fail("expected \"mbr\" or \"gpt\"");
    }
}

std::vector<uint8_t> page512(const JsonReader& r, const char* key) {
    auto bytes = r.bytes(key);
    if (bytes.size() != 512) r.child(key).fail("expected 512 bytes, found " + std::to_string(bytes.size()));
    return bytes;
}

void readIdentify(const JsonReader& id, SimDisk& disk) {
    disk.hasIdentify = true;
    if (id.has("bytes")) {
        id.allowOnly({"bytes"});
        disk.identify = page512(id, "bytes");
        return;
    }
    id.allowOnly({"model", "serial", "firmware", "sectors", "word47"});
    const std::string model = id.string("model", "");
    const std::string serial = id.string("serial", "");
    const std::string firmware = id.string("firmware", "");
    if (model.size() > 40) id.child("model").fail("at most 40 characters");
    if (serial.size() > 20) id.child("serial").fail("at most 20 characters");
    if (firmware.size() > 8) id.child("firmware").fail("at most 8 characters");
    const uint64_t sectors = id.unsignedInteger("sectors", 0);
    if (sectors > 0xFFFFFFFFull) id.child("sectors").fail("the 28-bit sector count field holds at most 0xFFFFFFFF");
    const uint64_t word47 = id.unsignedInteger("word47", 0x8010);
    if (word47 > 0xFFFF) id.child("word47").fail("a word holds at most 0xFFFF");
    disk.identify = encodeIdentifyPage(model, serial, firmware, uint32_t(sectors), uint16_t(word47), disk.atapi,
                                       disk.hasSmart);
}

std::vector<uint8_t> attributeEntry(const JsonReader& a) {
    a.allowOnly({"id", "flags", "current", "worst", "raw", "threshold"});
    std::vector<uint8_t> e(12, 0);
    e[0] = byteValue(a, "id", 0);
    if (e[0] == 0) a.child("id").fail("identifier 0 marks the end of the table");
    const uint64_t flags = a.unsignedInteger("flags", 0x0003);
    if (flags > 0xFFFF) a.child("flags").fail("flags hold 16 bits");
    codec::putLe16(&e[1], uint16_t(flags));
    e[3] = byteValue(a, "current", 100);
    e[4] = byteValue(a, "worst", e[3]);
    if (a.has("raw") && a.child("raw").json().is_string() && a.string("raw").find(' ') != std::string::npos) {
        const auto raw = a.bytes("raw");
        if (raw.size() != 6) a.child("raw").fail("a raw value is 6 bytes");
        std::copy(raw.begin(), raw.end(), e.begin() + 5);
    } else {
        const uint64_t raw = a.unsignedInteger("raw", 0);
        if (raw >> 48) a.child("raw").fail("a raw value holds 48 bits");
        for (int i = 0; i < 6; ++i) e[size_t(5 + i)] = uint8_t(raw >> (8 * i));
    }
    return e;
}

void readSmart(const JsonReader& smart, SimDisk& disk) {
    disk.hasSmart = true;
    smart.allowOnly({"enabled", "attributes", "thresholds", "attribute_bytes", "threshold_bytes"});
    disk.smartEnabled = smart.boolean("enabled", true);
    if (smart.has("attribute_bytes")) {
        disk.attributes = page512(smart, "attribute_bytes");
    } else {
        std::vector<std::vector<uint8_t>> entries;
        std::vector<std::vector<uint8_t>> thresholds;
        const auto items = smart.has("attributes") ? smart.items("attributes") : std::vector<JsonReader>{};
        if (items.size() > 30) smart.child("attributes").fail("the table holds at most 30 attributes");
        for (const auto& a : items) {
            entries.push_back(attributeEntry(a));
            if (a.has("threshold")) {
                std::vector<uint8_t> t(12, 0);
                t[0] = entries.back()[0];
                t[1] = byteValue(a, "threshold", 0);
                thresholds.push_back(t);
            }
        }
        disk.attributes = encodeAttributePage(entries);
        if (!smart.has("threshold_bytes") && !smart.has("thresholds")) disk.thresholds = encodeAttributePage(thresholds);
    }
    if (smart.has("threshold_bytes")) {
        disk.thresholds = page512(smart, "threshold_bytes");
    } else if (smart.has("thresholds")) {
        std::vector<std::vector<uint8_t>> thresholds;
        const auto items = smart.items("thresholds");
        if (items.size() > 30) smart.child("thresholds").fail("the table holds at most 30 thresholds");
        for (const auto& t : items) {
            t.allowOnly({"id", "threshold"});
            std::vector<uint8_t> e(12, 0);
            e[0] = byteValue(t, "id", 0);
            e[1] = byteValue(t, "threshold", 0);
            thresholds.push_back(e);
        }
        disk.thresholds = encodeAttributePage(thresholds);
    } else if (disk.thresholds.empty()) {
        disk.thresholds = encodeAttributePage({});
    }
}

void readFailures(const JsonReader& disk, SimDisk& out) {
    static const std::vector<std::string> requests = {"open",       "version",    "enable",        "identify",
                                                      "attributes", "thresholds", "nvme_identify", "nvme_log"};
    for (const auto& f : disk.items("failures")) {
        f.allowOnly({"request", "device", "error", "driver_status", "ide_error"});
        SimDiskFailure failure;
        failure.request = f.string("request");
        if (std::find(requests.begin(), requests.end(), failure.request) == requests.end())
            f.child("request").fail(
                "expected one of open, version, enable, identify, attributes, thresholds, nvme_identify, nvme_log");
        failure.device = int(f.integer("device", -1));
        if (failure.device < -1 || failure.device > 3) f.child("device").fail("expected a device index 0..3");
        failure.error = DWORD(f.unsignedInteger("error", failure.request == "open" ? ERROR_ACCESS_DENIED : ERROR_IO_DEVICE));
        failure.driverStatus = byteValue(f, "driver_status", platform::SMART_IDE_ERROR);
        failure.ideError = byteValue(f, "ide_error", 0x04);
        out.failures.push_back(failure);
    }
}

}  // namespace

SimDisk loadSimDisk(const JsonReader& disk) {
    disk.allowOnly({"number", "layout", "identify", "smart", "atapi", "device_map", "failures", "nvme"});
    SimDisk out;
    const int64_t number = disk.integer("number");
    if (number < 0 || number > 255) disk.child("number").fail("expected a disk number 0..255");
    out.number = int(number);
    out.atapi = disk.boolean("atapi", false);
    out.deviceMap = out.atapi ? 0x11 : 0x01;
    if (disk.has("device_map")) out.deviceMap = byteValue(disk, "device_map", 1);
    if (disk.has("layout")) readLayout(disk.child("layout"), out.layout);
    else out.layout.entries.resize(4);  // a disk without a partition table
    if (disk.has("smart")) readSmart(disk.child("smart"), out);
    if (disk.has("identify")) readIdentify(disk.child("identify"), out);
    if (disk.has("failures")) readFailures(disk, out);
    if (disk.has("nvme")) {
        if (out.atapi || disk.has("identify") || disk.has("smart"))
            disk.child("nvme").fail("an NVMe disk answers no ATA commands: leave out \"identify\", \"smart\" and \"atapi\"");
        out.nvme = loadSimNvme(disk.child("nvme"));
    }
    return out;
}

SimLetterDisk loadSimLetterDisk(const JsonReader& drive) {
    const JsonReader d = drive.child("disk");
    d.allowOnly({"number", "partition"});
    SimLetterDisk out;
    const int64_t number = d.integer("number");
    if (number < 0 || number > 255) d.child("number").fail("expected a disk number 0..255");
    out.disk = int(number);
    const int64_t partition = d.integer("partition", 1);
    if (partition < 0 || partition > 0xFFFF) d.child("partition").fail("expected a partition number (0: the whole disk)");
    out.partition = uint32_t(partition);
    return out;
}

}  // namespace zv::sim
