// zorvane-cli optical, media, eject, load, lock, unlock: the optical information window's
// fields and capability lines, and the main window's removable-media commands.
#include "cli/cli_context.h"
#include "cli/json_output.h"

#include "actions/removable_media.h"
#include "common/error_box.h"
#include "common/ui_services.h"
#include "common/visible_text.h"
#include "optical/capability_summary.h"
#include "optical/inquiry_text.h"
#include "optical/iso_disc_lib.h"

#include <functional>

namespace zv::cli {

namespace {

using nlohmann::ordered_json;

// Messages of the commands, printed as they are shown, and kept for --json.
class PrintingMessages final : public IMessages {
public:
    PrintingMessages(std::ostream& out, bool quiet) : m_out(out), m_quiet(quiet) {}
    std::vector<std::pair<std::string, std::string>> shown;  // kind, text

    void showMessage(const std::string& text) override { print("message", text); }
    DialogResult messageDialog(const std::string& text, DialogKind kind, DialogButtons) override {
        static const char* const kinds[] = {"warning", "error", "information", "confirmation"};
        print(kinds[int(kind)], text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon icon) override {
        print(icon == MessageIcon::Error ? "error" : "message", text);
    }

private:
    void print(const std::string& kind, const std::string& text) {
        shown.emplace_back(kind, text);
        if (!m_quiet) m_out << visibleText(text) << "\n";
    }
    std::ostream& m_out;
    bool m_quiet;
};

// Why a request failed: the last message the command showed, or a general account.
std::string requestFailure(const char* name, const PrintingMessages& messages) {
    if (!messages.shown.empty()) return messages.shown.back().second;
    return std::string(name) + " failed: the drive could not be opened or refused the request";
}

// Runs one of the main window's commands on the drive. Exit status 1 when the command
// raised its error or the request failed.
int runMediaCommand(CliContext& context, const ParsedArguments& args, const char* name,
                    const std::function<void(actions::RemovableMediaCommands&, char)>& command) {
    const char letter = requireDrive(args, std::string(name) + " needs a drive letter, for example D:");
    PrintingMessages messages(context.out, context.json);
    actions::RemovableMediaCommands commands(context.platform, messages);
    std::string error;
    try {
        command(commands, letter);
    } catch (const CommandError& raised) {
        error = errorBoxText(raised.what());
    }
    const bool succeeded = error.empty() && commands.lastRequestSucceeded();
    if (context.json) {
        ordered_json answer = jsonAnswer();
        answer["drive"] = std::string(1, letter) + ":";
        answer["succeeded"] = succeeded;
        ordered_json shown = ordered_json::array();
        for (const auto& [kind, text] : messages.shown) shown.push_back({{"kind", kind}, {"text", text}});
        answer["messages"] = shown;
        if (!error.empty()) answer["error"] = jsonError("command_error", error);
        else if (!succeeded) answer["error"] = jsonError("request_failed", requestFailure(name, messages));
        writeJson(context.out, answer);
    } else if (!error.empty()) {
        context.err << "zorvane-cli: " << visibleText(error) << "\n";
    }
    return succeeded ? 0 : 1;
}

void printOpticalText(std::ostream& out, char letter, const optical::IdentificationFields& fields,
                      const std::vector<std::string>& lines, const std::optional<optical::DvdPhysicalFormat>& disc) {
    out << "Drive: " << letter << ":\n";
    out << "Vendor: " << visibleText(fields.vendor) << "\n";
    out << "Product ID: " << visibleText(fields.productId) << "\n";
    out << "Revision: " << visibleText(fields.revision) << "\n";
    out << "Vendor Spec: " << visibleText(fields.vendorSpec) << "\n";
    out << "Detected Drive Capabilities:" << (lines.empty() ? " (none)" : "") << "\n";
    for (const std::string& line : lines) out << "  " << visibleText(line) << "\n";
    if (!disc) return;
    out << "Disc:\n";
    out << "  Book Type: " << visibleText(disc->bookType) << "\n";
    out << "  Disc Size: " << visibleText(disc->discSize) << "\n";
    out << "  Maximum Rate: " << visibleText(disc->maximumRate) << "\n";
    out << "  Number of Layers: " << visibleText(disc->layers) << "\n";
    out << "  Layer Type: " << visibleText(disc->layerType) << "\n";
    out << "  Linear Density: " << visibleText(disc->linearDensity) << "\n";
    out << "  Track Density: " << visibleText(disc->trackDensity) << "\n";
}

ordered_json opticalJson(char letter, const optical::IdentificationFields& fields, const std::vector<std::string>& lines,
                         const std::optional<optical::DvdPhysicalFormat>& disc) {
    ordered_json answer = jsonAnswer();
    answer["drive"] = std::string(1, letter) + ":";
    answer["vendor"] = fields.vendor;
    answer["product_id"] = fields.productId;
    answer["revision"] = fields.revision;
    answer["vendor_spec"] = fields.vendorSpec;
    answer["capabilities"] = lines;
    if (disc) {
        answer["disc"] = {{"book_type", disc->bookType},
                          {"disc_size", disc->discSize},
                          {"maximum_rate", disc->maximumRate},
                          {"number_of_layers", disc->layers},
                          {"number_of_layers_value", orNull(integerOfText(disc->layers))},
                          {"layer_type", disc->layerType},
                          {"linear_density", disc->linearDensity},
                          {"track_density", disc->trackDensity}};
    } else {
        answer["disc"] = nullptr;
    }
    return answer;
}

int runOptical(CliContext& context, const ParsedArguments& args) {
    const char letter = requireDrive(args, "optical needs a drive letter, for example D:");
    const char drive[3] = {letter, ':', 0};
    if (context.platform.drives().GetDriveTypeA(drive) != win::DRIVE_CDROM)
        throw CommandFailure("not_optical", std::string(drive) + " is not a CD/DVD drive");
    NullEventPump pump;
    const auto fields = optical::splitIdentification(optical::ReadInquiryText(context.platform, letter));
    std::optional<optical::DvdPhysicalFormat> disc;
    const auto lines =
        optical::summaryLines(optical::QueryDriveCapabilitySummary(context.platform, pump, letter, &disc));
    if (context.json) writeJson(context.out, opticalJson(letter, fields, lines, disc));
    else printOpticalText(context.out, letter, fields, lines, disc);
    return 0;
}

int runMedia(CliContext& context, const ParsedArguments& args) {
    return runMediaCommand(context, args, "media",
                           [](actions::RemovableMediaCommands& c, char letter) { c.InsertedMedia1Click(letter); });
}
int runEject(CliContext& context, const ParsedArguments& args) {
    return runMediaCommand(context, args, "eject",
                           [](actions::RemovableMediaCommands& c, char letter) { c.EjectMedia1Click(letter); });
}
int runLoad(CliContext& context, const ParsedArguments& args) {
    return runMediaCommand(context, args, "load",
                           [](actions::RemovableMediaCommands& c, char letter) { c.LoadMedia1Click(letter); });
}
int runLock(CliContext& context, const ParsedArguments& args) {
    return runMediaCommand(context, args, "lock",
                           [](actions::RemovableMediaCommands& c, char letter) { c.LockCDDoor1Click(letter); });
}
int runUnlock(CliContext& context, const ParsedArguments& args) {
    return runMediaCommand(context, args, "unlock",
                           [](actions::RemovableMediaCommands& c, char letter) { c.UnlockCDDoor1Click(letter); });
}

constexpr const char* kOpticalHelp =
    "Prints what the optical information window shows for the CD/DVD drive X: the vendor,\n"
    "product, revision and vendor-specific texts the drive reports, and its detected\n"
    "capabilities, one line each. For a DVD in the drive, the disc's physical format\n"
    "follows. The capability list is empty without the right to send commands to the\n"
    "drive (root, or read-write access to its node), for a drive that is not ready, or for\n"
    "a disc kind the drive does not name. Exit status 1 when X: is no CD/DVD drive.\n";

constexpr const char* kMediaHelp =
    "Prints the main window's inserted-media message for the CD/DVD drive X:\n"
    "\"X: Contains disk type: <kind>\". Exit status 1 when X: is no CD/DVD drive or the\n"
    "drive did not name a known disc kind.\n";

constexpr const char* kEjectHelp =
    "Ejects the medium of the CD/DVD or removable drive X: as the main window's \"Eject\n"
    "Media\" does, printing its messages (\"Eject Failed: N (words)\" with the system's error code and its message text).\n"
    "File systems mounted from the drive are unmounted first. Exit status 1 when the\n"
    "request failed.\n";

constexpr const char* kLoadHelp =
    "Closes the tray of the CD/DVD drive X: as \"Load Media\" does. Exit status 1 when the\n"
    "request failed or X: is no CD/DVD drive.\n";

constexpr const char* kLockHelp =
    "Locks the door of drive X: as \"Lock CD Door\" does and prints the confirmation.\n"
    "Exit status 1 when the drive could not be opened or refused the request.\n";

constexpr const char* kUnlockHelp =
    "Unlocks the door of drive X: as \"Unlock CD Door\" does and prints the confirmation.\n"
    "Exit status 1 when the drive could not be opened or refused the request.\n";

}  // namespace

const CliCommand kOpticalCommand = {"optical", "X:", kOpticalHelp, {}, runOptical};
const CliCommand kMediaCommand = {"media", "X:", kMediaHelp, {}, runMedia};
const CliCommand kEjectCommand = {"eject", "X:", kEjectHelp, {}, runEject};
const CliCommand kLoadCommand = {"load", "X:", kLoadHelp, {}, runLoad};
const CliCommand kLockCommand = {"lock", "X:", kLockHelp, {}, runLock};
const CliCommand kUnlockCommand = {"unlock", "X:", kUnlockHelp, {}, runUnlock};

}  // namespace zv::cli
