#include "tools/usb_drive_report.h"

#include "common/number_format.h"
#include "common/ui_services.h"

#include <cctype>
#include <cstdlib>

namespace zv::tools {

using namespace zv::win;
using platform::ManagementObject;
using platform::ManagementValue;

namespace {

const ManagementValue& property(const ManagementObject& drive, const std::string& name) {
    const ManagementValue* value = drive.find(name);
    if (value == nullptr) throw CommandError("Unknown name: " + name);
    return *value;
}

// A property as text; a property without a value is written as nothing.
std::string textOf(const ManagementObject& drive, const std::string& name) {
    const ManagementValue& value = property(drive, name);
    switch (value.kind) {
    case ManagementValue::Kind::Null: return {};
    case ManagementValue::Kind::Text: return value.text;
    case ManagementValue::Kind::Integer: return std::to_string(value.integer);
    case ManagementValue::Kind::IntegerArray: {
        std::string text;
        for (int64_t item : value.array) text += (text.empty() ? "" : ",") + std::to_string(item);
        return text;
    }
    }
    return {};
}

// A whole number; the service hands 64-bit counts over as decimal texts.
bool integerOf(const ManagementObject& drive, const std::string& name, int64_t* number) {
    const ManagementValue& value = property(drive, name);
    if (value.kind == ManagementValue::Kind::Null) return false;
    if (value.kind == ManagementValue::Kind::Integer) {
        *number = value.integer;
        return true;
    }
    if (value.kind == ManagementValue::Kind::Text && !value.text.empty()) {
        char* end = nullptr;
        const long long parsed = std::strtoll(value.text.c_str(), &end, 10);
        if (end && *end == 0) {
            *number = parsed;
            return true;
        }
    }
    throw CommandError("Could not convert the value of " + name + " to a number");
}

std::string groupedOf(const ManagementObject& drive, const std::string& name,
                      const platform::LocaleSeparators& locale) {
    int64_t number = 0;
    return integerOf(drive, name, &number) ? formatGrouped(number, locale) : std::string();
}

}  // namespace

std::string capabilityText(int64_t code) {
    switch (code) {
    case 2: return " Sequential Access";
    case 3: return " Random Access";
    case 4: return " Supports Writing";
    case 5: return " Encryption";
    case 6: return " Compression";
    case 7: return " Supports Removable Media";
    case 10: return " SMART Notification";
    case 12: return " Ejection Prior to Drive Dismount Not Required";
    default: return " Unknown";
    }
}

void runUsbDriveReport(platform::Platform& platform, const std::function<void(const std::string&)>& append) {
    const platform::LocaleSeparators locale = platform.system().GetLocaleSeparators();
    std::vector<ManagementObject> drives;
    std::string errorText;
    const HRESULT result =
        platform.management().ExecQuery(".", "", "SELECT * FROM Win32_DiskDrive", &drives, &errorText);
    if (result != S_OK) throw CommandError(errorText.empty() ? "The management service is not available" : errorText);

    int n = 0;
    for (const ManagementObject& drive : drives) {
        ++n;
        const std::string interfaceType = textOf(drive, "InterfaceType");
        if (interfaceType != "USB") {
            append("\r\n Disk Drive " + std::to_string(n) + " is active but not a USB drive.");
            continue;
        }
        append("\r\n Disk Drive " + std::to_string(n) + " is a USB drive.");
        append(" PNP ID : " + textOf(drive, "PNPDeviceID"));
        append(" Interface Type : " + interfaceType);
        append(" Device Type : " + textOf(drive, "Description"));
        append(" Media Type : " + textOf(drive, "MediaType"));
        append(" Model : " + textOf(drive, "Model"));
        // Every capability of the drive, one line each.
        const ManagementValue& capabilities = property(drive, "Capabilities");
        if (capabilities.kind == ManagementValue::Kind::IntegerArray) {
            for (int64_t code : capabilities.array) append(capabilityText(code));
        } else if (capabilities.kind == ManagementValue::Kind::Integer) {
            append(capabilityText(capabilities.integer));
        }
        int64_t bytesPerSector = 0;
        append(" Bytes per sector : " +
               (integerOf(drive, "BytesPerSector", &bytesPerSector) ? std::to_string(bytesPerSector) : std::string()));
        append(" Total Sectors : " + groupedOf(drive, "TotalSectors", locale));
        append(" Drive Capacity : " + groupedOf(drive, "Size", locale));
        append(" Status is " + textOf(drive, "Status"));
    }
    append("\r\n There are " + std::to_string(n) + " Disk Drives active on this system.");
}

}  // namespace zv::tools
