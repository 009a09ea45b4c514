// Reading an NVMe disk of a machine file: its identity, its namespace and its health log,
// given field by field or as recorded bytes.
#include <cctype>

#include "platform/api/codec.h"
#include "platform/sim/json_reader.h"
#include "platform/sim/sim_disk_model.h"

namespace zv::sim {

namespace {

void putText(std::vector<uint8_t>& page, size_t offset, size_t length, const std::string& text) {
    for (size_t i = 0; i < length; ++i) page[offset + i] = i < text.size() ? uint8_t(text[i]) : uint8_t(' ');
}

std::vector<uint8_t> identifyController(const JsonReader& nvme) {
    const std::string model = nvme.string("model", "");
    const std::string serial = nvme.string("serial", "");
    const std::string firmware = nvme.string("firmware", "");
    if (serial.size() > 20) nvme.child("serial").fail("at most 20 characters");
    if (model.size() > 40) nvme.child("model").fail("at most 40 characters");
    if (firmware.size() > 8) nvme.child("firmware").fail("at most 8 characters");
    std::vector<uint8_t> page(4096, 0);
    putText(page, 4, 20, serial);
    putText(page, 24, 40, model);
    putText(page, 64, 8, firmware);
    codec::putLe32(&page[516], 1);  // NN: one namespace
    return page;
}

std::vector<uint8_t> identifyNamespace(const JsonReader& nvme) {
    const uint64_t sectors = nvme.unsignedInteger("sectors", 0);
    const uint64_t sectorSize = nvme.unsignedInteger("sector_size", 512);
    unsigned shift = 9;
    while (shift < 16 && (uint64_t(1) << shift) != sectorSize) ++shift;
    if (shift == 16) nvme.child("sector_size").fail("expected a power of two from 512 to 32768");
    std::vector<uint8_t> page(4096, 0);
    codec::putLe64(&page[0], sectors);   // NSZE
    codec::putLe64(&page[8], sectors);   // NCAP
    codec::putLe64(&page[16], sectors);  // NUSE
    page[25] = 0;                        // NLBAF: one format
    page[26] = 0;                        // FLBAS: format 0 in use
    page[128 + 2] = uint8_t(shift);      // LBAF0.LBADS
    return page;
}

// A 128-bit counter: an integer, or a decimal string for values beyond 64 bits.
void putCounter(const JsonReader& health, const char* key, uint8_t* field) {
    if (!health.has(key)) return;
    uint64_t low = 0, high = 0;
    if (health.child(key).json().is_string()) {
        const std::string digits = health.string(key);
        if (digits.empty()) health.child(key).fail("expected decimal digits");
        for (char c : digits) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                health.child(key).fail("expected decimal digits");
            // (high, low) = (high, low) * 10 + digit, in 32-bit steps.
            uint64_t carry = uint64_t(c - '0');
            uint32_t limbs[4] = {uint32_t(low), uint32_t(low >> 32), uint32_t(high), uint32_t(high >> 32)};
            for (uint32_t& limb : limbs) {
                const uint64_t value = uint64_t(limb) * 10 + carry;
                limb = uint32_t(value);
                carry = value >> 32;
            }
            if (carry) health.child(key).fail("the counter holds 128 bits");
            low = uint64_t(limbs[0]) | (uint64_t(limbs[1]) << 32);
            high = uint64_t(limbs[2]) | (uint64_t(limbs[3]) << 32);
        }
    } else {
        low = health.unsignedInteger(key);
    }
    codec::putLe64(field, low);
    codec::putLe64(field + 8, high);
}

uint8_t byteOf(const JsonReader& r, const char* key, uint64_t fallback) {
    const uint64_t v = r.unsignedInteger(key, fallback);
    if (v > 255) r.child(key).fail("expected a value 0..255");
    return uint8_t(v);
}

std::vector<uint8_t> healthLog(const JsonReader& health) {
    static const char* const counters[] = {
        "data_units_read",      "data_units_written", "host_read_commands", "host_write_commands",
        "controller_busy_time", "power_cycles",       "power_on_hours",     "unsafe_shutdowns",
        "media_errors",         "error_log_entries"};
    std::vector<std::string> keys = {"critical_warning", "temperature_kelvin", "available_spare",
                                     "available_spare_threshold", "percentage_used"};
    for (const char* c : counters) keys.push_back(c);
    health.allowOnly(keys);
    std::vector<uint8_t> page(512, 0);
    page[0] = byteOf(health, "critical_warning", 0);
    const uint64_t kelvin = health.unsignedInteger("temperature_kelvin", 0);
    if (kelvin > 0xFFFF) health.child("temperature_kelvin").fail("the temperature field holds 16 bits");
    codec::putLe16(&page[1], uint16_t(kelvin));
    page[3] = byteOf(health, "available_spare", 100);
    page[4] = byteOf(health, "available_spare_threshold", 10);
    page[5] = byteOf(health, "percentage_used", 0);
    for (size_t i = 0; i < std::size(counters); ++i) putCounter(health, counters[i], &page[32 + 16 * i]);
    return page;
}

}  // namespace

SimNvme loadSimNvme(const JsonReader& nvme) {
    nvme.allowOnly(
        {"model", "serial", "firmware", "sectors", "sector_size", "namespace_id", "health", "log_bytes"});
    SimNvme out;
    out.identifyController = identifyController(nvme);
    out.identifyNamespace = identifyNamespace(nvme);
    const uint64_t nsid = nvme.unsignedInteger("namespace_id", 1);
    if (nsid == 0 || nsid >= 0xFFFFFFFFull)
        nvme.child("namespace_id").fail("expected a namespace identifier 1..0xFFFFFFFE");
    out.namespaceId = uint32_t(nsid);
    if (nvme.has("log_bytes") && nvme.has("health"))
        nvme.child("log_bytes").fail("give either \"health\" or \"log_bytes\"");
    if (nvme.has("log_bytes")) {
        out.healthLog = nvme.bytes("log_bytes");
        if (out.healthLog.size() != 512)
            nvme.child("log_bytes").fail("expected 512 bytes, found " + std::to_string(out.healthLog.size()));
    } else {
        static const nlohmann::json kNoFields = nlohmann::json::object();
        out.healthLog =
            healthLog(nvme.has("health") ? nvme.child("health")
                                         : JsonReader(kNoFields, nvme.pointer() + "/health", nvme.file()));
    }
    return out;
}

}  // namespace zv::sim
