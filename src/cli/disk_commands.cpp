// zorvane-cli diskinfo and smart: what the disk information and S.M.A.R.T. windows show for
// one drive letter.
#include "cli/cli_context.h"
#include "cli/json_output.h"

#include "common/ui_services.h"
#include "common/visible_text.h"
#include "diskinfo/disk_info_view.h"
#include "diskinfo/physical_drive.h"
#include "smart/smart_view.h"

namespace zv::cli {

namespace {

// Messages the window would show in a box, gathered for the error stream.
class CollectedMessages final : public IMessages {
public:
    std::vector<std::string> texts;
    void showMessage(const std::string& text) override { texts.push_back(text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons) override {
        texts.push_back(text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
};

// ---- diskinfo
const std::pair<const char*, std::string diskinfo::DiskInfoFields::*> kDiskInfoFields[] = {
    {"Drive Type", &diskinfo::DiskInfoFields::driveType},
    {"Bootable", &diskinfo::DiskInfoFields::bootable},
    {"Volume Serial", &diskinfo::DiskInfoFields::volumeSerial},
    {"Capacity", &diskinfo::DiskInfoFields::capacity},
    {"Device Name", &diskinfo::DiskInfoFields::deviceName},
    {"Free", &diskinfo::DiskInfoFields::freeSpace},
    {"Bytes Per Sector", &diskinfo::DiskInfoFields::bytesPerSector},
    {"Sectors Per Cluster", &diskinfo::DiskInfoFields::sectorsPerCluster},
    {"Total Clusters", &diskinfo::DiskInfoFields::totalClusters},
    {"Free Clusters", &diskinfo::DiskInfoFields::freeClusters},
    {"Serial Number", &diskinfo::DiskInfoFields::ideSerial},
    {"Physical Dr No.", &diskinfo::DiskInfoFields::physicalDrive},
    {"No. of Partitions", &diskinfo::DiskInfoFields::partitionCount},
    {"Partition No.", &diskinfo::DiskInfoFields::partitionNumber},
    {"Partition Type", &diskinfo::DiskInfoFields::partitionType},
    {"Start Offset", &diskinfo::DiskInfoFields::startOffset},
    {"Partition Length", &diskinfo::DiskInfoFields::partitionLength},
    {"Hidden Sectors", &diskinfo::DiskInfoFields::hiddenSectors},
};

using nlohmann::ordered_json;

// The machine values of the disk information fields, from the figures the window read.
void addDiskInfoValues(const diskinfo::DiskInfoView& view, ordered_json* out) {
    const diskinfo::DiskInfoFields& f = view.fields();
    const diskinfo::TVolumeDetails& d = view.details();
    ordered_json& o = *out;
    o["letter"] = d.Root.substr(0, 1);
    o["drive_type_value"] = uint32_t(d.DriveType);
    o["file_system"] = d.FileSystemName;
    o["bootable_value"] = f.bootable.empty() ? ordered_json(nullptr) : ordered_json(f.bootable == "YES");
    o["volume_serial_value"] = d.Ready ? ordered_json(d.SerialNumber) : ordered_json(nullptr);
    o["capacity_bytes"] = d.TotalBytes;
    o["free_bytes"] = d.FreeBytes;
    o["bytes_per_sector_value"] = d.BytesPerSector;
    o["sectors_per_cluster_value"] = d.SectorsPerCluster;
    o["total_clusters_value"] = d.TotalClusters;
    o["free_clusters_value"] = d.FreeClusters;
    o["physical_dr_no_value"] = orNull(integerOfText(f.physicalDrive));
    o["no_of_partitions_value"] = orNull(integerOfText(f.partitionCount));
    o["partition_no_value"] = orNull(integerOfText(f.partitionNumber));
    o["start_offset_bytes"] = orNull(integerOfText(f.startOffset));
    o["partition_length_bytes"] = orNull(integerOfText(f.partitionLength));
    o["hidden_sectors_value"] = orNull(integerOfText(f.hiddenSectors));
}

ordered_json diskInfoJson(const diskinfo::DiskInfoView& view, const std::vector<std::string>& messages) {
    const diskinfo::DiskInfoFields& f = view.fields();
    ordered_json out = jsonAnswer();
    out["local_drive"] = view.boxText();
    for (const auto& [label, member] : kDiskInfoFields) out[snakeCase(label)] = f.*member;
    addDiskInfoValues(view, &out);
    ordered_json flags = ordered_json::object();
    for (const auto& [name, present] : f.flags) flags[snakeCase(name)] = present;
    out["file_system_flags"] = flags;
    out["messages"] = messages;
    return out;
}

void printDiskInfo(std::ostream& out, const diskinfo::DiskInfoView& view) {
    const diskinfo::DiskInfoFields& f = view.fields();
    out << "Local Drive: " << visibleText(view.boxText()) << "\n";
    for (const auto& [label, member] : kDiskInfoFields) out << label << ": " << visibleText(f.*member) << "\n";
    out << "File System Flags:\n";
    for (const auto& [name, present] : f.flags) out << "  [" << (present ? 'x' : ' ') << "] " << name << "\n";
}

int runDiskInfo(CliContext& context, const ParsedArguments& args) {
    const char letter = requireDrive(args, "name the drive, for example C:");
    requireExistingDrive(context, letter);
    CollectedMessages messages;
    diskinfo::DiskInfoView view(context.platform, messages);
    view.chooseLetter(letter);
    if (context.json) {
        // The answer holds the window's messages; the error stream stays empty.
        writeJson(context.out, diskInfoJson(view, messages.texts));
        return 0;
    }
    printDiskInfo(context.out, view);
    for (const std::string& text : messages.texts) context.err << "zorvane-cli diskinfo: " << visibleText(text) << "\n";
    return 0;
}

// ---- smart
// A 128-bit counter as a JSON integer when it fits in 64 bits, else as its decimal text.
ordered_json counterJson(const smart::Counter128& counter) {
    if (counter.fitsIn64Bits()) return counter.low;
    return counter.decimalText();
}

ordered_json nvmeJson(const smart::NvmeHealth& h) {
    ordered_json out;
    out["critical_warning"] = h.criticalWarning;
    out["temperature_celsius"] = h.hasTemperature() ? ordered_json(h.temperatureCelsius()) : nullptr;
    out["available_spare"] = h.availableSpare;
    out["available_spare_threshold"] = h.availableSpareThreshold;
    out["percentage_used"] = h.percentageUsed;
    out["power_on_hours"] = counterJson(h.powerOnHours);
    out["power_cycles"] = counterJson(h.powerCycles);
    out["media_errors"] = counterJson(h.mediaErrors);
    out["unsafe_shutdowns"] = counterJson(h.unsafeShutdowns);
    out["data_units_read"] = counterJson(h.dataUnitsRead);
    out["data_units_written"] = counterJson(h.dataUnitsWritten);
    return out;
}

struct SmartField {
    const char* label;
    std::string smart::SmartFields::*member;
};
constexpr SmartField kSmartFields[] = {
    {"Physical Drive No.", &smart::SmartFields::physicalDrive}, {"SMART Enabled", &smart::SmartFields::verdict},
    {"Temperature", &smart::SmartFields::temperature},          {"Model Number", &smart::SmartFields::model},
    {"Serial Number", &smart::SmartFields::serial},             {"Firmware Revision", &smart::SmartFields::firmware},
    {"Size in bytes", &smart::SmartFields::size},
};

// "Yes"/"No" of the flag columns as a boolean, null for anything else.
ordered_json yesNoValue(const std::string& text) {
    if (text == "Yes") return true;
    if (text == "No") return false;
    return nullptr;
}

// One attribute row: every column's text under its caption's key, the numbers and flags
// beside them as values. Digit groups of the raw value use the machine's separator.
ordered_json smartRowJson(const smart::SmartRow& row, const std::string& thousands) {
    ordered_json r = ordered_json::object();
    for (size_t c = 0; c < row.size(); ++c) r[snakeCase(smart::kSmartColumns[c])] = row[c];
    r["attribute_value"] = orNull(integerOfText(row[0]));
    r["current_value"] = orNull(integerOfText(row[3]));
    r["worst_value"] = orNull(integerOfText(row[4]));
    r["threshold_value"] = orNull(integerOfText(row[5]));
    r["raw_value_value"] = orNull(integerOfText(row[6], thousands));
    r["fre_fail_value"] = yesNoValue(row[7]);
    r["events_value"] = yesNoValue(row[8]);
    r["error_rate_value"] = yesNoValue(row[9]);
    return r;
}

ordered_json smartJson(const smart::SmartView& view, const std::string& thousands) {
    const smart::SmartFields& f = view.fields();
    ordered_json out = jsonAnswer();
    out["local_drive"] = view.boxText();
    for (const SmartField& field : kSmartFields) out[snakeCase(field.label)] = f.*field.member;
    out["physical_drive_no_value"] = orNull(integerOfText(f.physicalDrive));
    // The window shows whole degrees followed by the unit.
    const size_t digits = f.temperature.find_first_not_of("-0123456789");
    out["temperature_value"] = orNull(integerOfText(f.temperature.substr(0, digits)));
    out["size_in_bytes_bytes"] = orNull(integerOfText(f.size, thousands));
    out["status"] = f.status;
    ordered_json rows = ordered_json::array();
    for (const smart::SmartRow& row : f.rows) rows.push_back(smartRowJson(row, thousands));
    out["attributes"] = rows;
    if (f.nvme) {
        out["nvme"] = nvmeJson(*f.nvme);
        out["verdict"] = f.verdict;
    }
    if (!f.status.empty()) out["error"] = jsonError("smart_unavailable", f.status);
    return out;
}

void printSmart(std::ostream& out, const smart::SmartView& view) {
    const smart::SmartFields& f = view.fields();
    out << "Local Drive: " << visibleText(view.boxText()) << "\n";
    for (const SmartField& field : kSmartFields) out << field.label << ": " << visibleText(f.*field.member) << "\n";
    if (f.nvme) {
        // The health log's fields, one readable line each.
        for (const smart::SmartRow& row : f.rows) out << row[1] << ": " << visibleText(row[6]) << "\n";
        return;
    }
    if (f.rows.empty()) return;
    for (size_t c = 0; c < 10; ++c) out << (c ? "\t" : "") << smart::kSmartColumns[c];
    out << "\n";
    for (const smart::SmartRow& row : f.rows) {
        for (size_t c = 0; c < row.size(); ++c) out << (c ? "\t" : "") << visibleText(row[c]);
        out << "\n";
    }
}

int runSmart(CliContext& context, const ParsedArguments& args) {
    const char letter = requireDrive(args, "name the drive, for example C:");
    requireExistingDrive(context, letter);
    smart::SmartView view(context.platform);
    view.setBoxText(std::string(1, letter) + ": [" + diskinfo::VolumeLabel(context.platform, letter) + "]");
    const smart::SmartFields& f = view.fields();
    if (context.json) writeJson(context.out, smartJson(view, context.platform.system().GetLocaleSeparators().thousands));
    else printSmart(context.out, view);
    if (f.status.empty()) return 0;
    if (!context.json) context.err << "zorvane-cli smart: " << visibleText(f.status) << "\n";
    return 1;
}

}  // namespace

const CliCommand kDiskInfoCommand = {
    "diskinfo", "X:",
    "Prints what the disk information window shows for drive X: its type and file system,\n"
    "capacity, free space, cluster figures, volume serial, device name, disk number, the\n"
    "disk's serial number, the entry of its partition and the file-system flags.\n",
    {},
    runDiskInfo};

const CliCommand kSmartCommand = {
    "smart", "X:",
    "Prints what the S.M.A.R.T. window shows for the disk behind drive X: the verdict, the\n"
    "temperature, the identity and one line per attribute. An NVMe disk shows the fields of\n"
    "its health log instead (with --json under \"nvme\", and its \"verdict\"). When the disk\n"
    "cannot be read the reason goes to the error stream (with --json into the error object)\n"
    "and the status is 1.\n",
    {},
    runSmart};

}  // namespace zv::cli
