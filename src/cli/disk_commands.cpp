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

bool driveExists(CliContext& context, char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    return context.platform.drives().GetDriveTypeA(root.c_str()) != win::DRIVE_NO_ROOT_DIR;
}

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

int runDiskInfo(CliContext& context, const std::vector<std::string>& args) {
    const DriveRequest request = parseDriveRequest(args, context.json, "name the drive, for example C:");
    if (!driveExists(context, request.letter)) {
        context.err << "zorvane-cli diskinfo: there is no drive " << request.letter << ":\n";
        return 1;
    }
    CollectedMessages messages;
    diskinfo::DiskInfoView view(context.platform, messages);
    view.chooseLetter(request.letter);
    const diskinfo::DiskInfoFields& f = view.fields();
    if (request.json) {
        nlohmann::ordered_json out;
        out["Local Drive"] = view.boxText();
        for (const auto& [label, member] : kDiskInfoFields) out[label] = f.*member;
        nlohmann::ordered_json flags = nlohmann::ordered_json::object();
        for (const auto& [name, present] : f.flags) flags[name] = present;
        out["File System Flags"] = flags;
        out["Messages"] = messages.texts;
        context.out << jsonDump(out) << "\n";
    } else {
        context.out << "Local Drive: " << visibleText(view.boxText()) << "\n";
        for (const auto& [label, member] : kDiskInfoFields)
            context.out << label << ": " << visibleText(f.*member) << "\n";
        context.out << "File System Flags:\n";
        for (const auto& [name, present] : f.flags) context.out << "  [" << (present ? 'x' : ' ') << "] " << name << "\n";
    }
    for (const std::string& text : messages.texts) context.err << "zorvane-cli diskinfo: " << visibleText(text) << "\n";
    return 0;
}

// ---- smart
// A 128-bit counter as a JSON integer when it fits in 64 bits, else as its decimal text.
nlohmann::ordered_json counterJson(const smart::Counter128& counter) {
    if (counter.fitsIn64Bits()) return counter.low;
    return counter.decimalText();
}

nlohmann::ordered_json nvmeJson(const smart::NvmeHealth& h) {
    nlohmann::ordered_json out;
    out["critical_warning"] = h.criticalWarning;
    out["temperature_celsius"] = h.hasTemperature() ? nlohmann::ordered_json(h.temperatureCelsius()) : nullptr;
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

int runSmart(CliContext& context, const std::vector<std::string>& args) {
    const DriveRequest request = parseDriveRequest(args, context.json, "name the drive, for example C:");
    if (!driveExists(context, request.letter)) {
        context.err << "zorvane-cli smart: there is no drive " << request.letter << ":\n";
        return 1;
    }
    smart::SmartView view(context.platform);
    view.setBoxText(std::string(1, request.letter) + ": [" + diskinfo::VolumeLabel(context.platform, request.letter) + "]");
    const smart::SmartFields& f = view.fields();
    const std::pair<const char*, const std::string*> fields[] = {
        {"Physical Drive No.", &f.physicalDrive}, {"SMART Enabled", &f.verdict}, {"Temperature", &f.temperature},
        {"Model Number", &f.model},               {"Serial Number", &f.serial},  {"Firmware Revision", &f.firmware},
        {"Size in bytes", &f.size},
    };
    if (request.json) {
        nlohmann::ordered_json out;
        out["Local Drive"] = view.boxText();
        for (const auto& [label, value] : fields) out[label] = *value;
        out["Status"] = f.status;
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (const smart::SmartRow& row : f.rows) {
            nlohmann::ordered_json r;
            for (size_t c = 0; c < row.size(); ++c) r[smart::kSmartColumns[c]] = row[c];
            rows.push_back(r);
        }
        out["Attributes"] = rows;
        if (f.nvme) {
            out["nvme"] = nvmeJson(*f.nvme);
            out["verdict"] = f.verdict;
        }
        context.out << jsonDump(out) << "\n";
    } else {
        context.out << "Local Drive: " << visibleText(view.boxText()) << "\n";
        for (const auto& [label, value] : fields) context.out << label << ": " << visibleText(*value) << "\n";
        if (f.nvme) {
            // The health log's fields, one readable line each.
            for (const smart::SmartRow& row : f.rows) context.out << row[1] << ": " << visibleText(row[6]) << "\n";
        } else if (!f.rows.empty()) {
            for (size_t c = 0; c < 10; ++c) context.out << (c ? "\t" : "") << smart::kSmartColumns[c];
            context.out << "\n";
            for (const smart::SmartRow& row : f.rows) {
                for (size_t c = 0; c < row.size(); ++c) context.out << (c ? "\t" : "") << visibleText(row[c]);
                context.out << "\n";
            }
        }
    }
    if (!f.status.empty()) {
        context.err << "zorvane-cli smart: " << visibleText(f.status) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

const CliCommand kDiskInfoCommand = {
    "diskinfo", "diskinfo X: [--json]",
    "zorvane-cli diskinfo X: [--json]\n"
    "  Prints what the disk information window shows for drive X: its type and file system,\n"
    "  capacity, free space, cluster figures, volume serial, device name, disk number, the\n"
    "  disk's serial number, the entry of its partition and the file-system flags.\n",
    runDiskInfo};

const CliCommand kSmartCommand = {
    "smart", "smart X: [--json]",
    "zorvane-cli smart X: [--json]\n"
    "  Prints what the S.M.A.R.T. window shows for the disk behind drive X: the verdict, the\n"
    "  temperature, the identity and one line per attribute. An NVMe disk shows the fields of\n"
    "  its health log instead (with --json under \"nvme\", and its \"verdict\"). When the disk\n"
    "  cannot be read the reason goes to the error stream and the status is 1.\n",
    runSmart};

}  // namespace zv::cli
