// zorvane-cli list: the rows that the main window's drive list shows.
#include "cli/cli_context.h"
#include "cli/json_output.h"

#include "common/ui_services.h"
#include "common/visible_text.h"
#include "survey/drive_survey.h"

namespace zv::cli {

namespace {

using survey::DriveRecord;
using survey::SurveyOptions;

// The filter names of --exclude, each turning off one check box of the window.
struct ExcludeKind {
    const char* name;
    bool SurveyOptions::*filter;
};
constexpr ExcludeKind kExcludeKinds[] = {
    {"local", &SurveyOptions::local},           {"cdrom", &SurveyOptions::cdDvd},
    {"removable", &SurveyOptions::removable},   {"network", &SurveyOptions::network},
    {"notmounted", &SurveyOptions::notMounted}, {"disconnected", &SurveyOptions::disconnected},
};

std::string kindNames() {
    std::string names;
    for (const ExcludeKind& kind : kExcludeKinds) names += std::string(names.empty() ? "" : ", ") + kind.name;
    return names;
}

void applyExclusions(const std::string& list, SurveyOptions* options) {
    const std::vector<std::string> names = splitCommaList(list);
    if (names.empty()) throw UsageError("--exclude needs one or more of " + kindNames());
    for (const std::string& name : names) {
        bool known = false;
        for (const ExcludeKind& kind : kExcludeKinds) {
            if (name == kind.name) {
                options->*kind.filter = false;
                known = true;
            }
        }
        if (!known) throw UsageError("unknown kind '" + name + "' for --exclude (kinds: " + kindNames() + ")");
    }
}

struct ListRequest {
    SurveyOptions options;
    bool json = false;
};

ListRequest parseArguments(const std::vector<std::string>& args, bool json) {
    ListRequest request;
    request.json = json;
    for (size_t index = 0; index < args.size(); ++index) {
        const std::string& argument = args[index];
        std::string kinds;
        if (argument == "--json") {
            request.json = true;
        } else if (argument == "--include-ab") {
            request.options.skipAB = false;
        } else if (takeOptionValue(args, &index, "--exclude", &kinds)) {
            applyExclusions(kinds, &request.options);
        } else if (!argument.empty() && argument[0] == '-') {
            throw UsageError("unknown option '" + argument + "'");
        } else {
            throw UsageError("unexpected argument '" + argument + "'");
        }
    }
    return request;
}

std::array<std::string, 14> rowTexts(const DriveRecord& record) {
    std::array<std::string, 14> texts;
    texts[0] = record.caption;
    const auto columns = record.columns();
    std::copy(columns.begin(), columns.end(), texts.begin() + 1);
    return texts;
}

// A tab or line break inside a field (a label may hold one) would split the row: it is
// written as a blank. Other control characters are shown as escapes (visibleText);
// everything else stands exactly as the list shows it.
std::string tabField(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return visibleText(text);
}

void printTable(std::ostream& out, const std::vector<DriveRecord>& rows) {
    for (size_t i = 0; i < survey::kDriveListCaptions.size(); ++i)
        out << (i ? "\t" : "") << survey::kDriveListCaptions[i];
    out << "\n";
    for (const DriveRecord& record : rows) {
        const auto texts = rowTexts(record);
        for (size_t i = 0; i < texts.size(); ++i) out << (i ? "\t" : "") << tabField(texts[i]);
        out << "\n";
    }
}

void printJson(std::ostream& out, const std::vector<DriveRecord>& rows) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const DriveRecord& record : rows) {
        const auto texts = rowTexts(record);
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (size_t i = 0; i < texts.size(); ++i) object[survey::kDriveListCaptions[i]] = texts[i];
        array.push_back(std::move(object));
    }
    // Texts come from devices and volumes: bytes that are no UTF-8 become U+FFFD.
    out << jsonDump(array) << "\n";
}

int runList(CliContext& context, const std::vector<std::string>& args) {
    const ListRequest request = parseArguments(args, context.json);
    NullEventPump pump;
    survey::DriveSurvey survey(context.platform, pump);
    survey::CollectingSink sink;
    survey.run(request.options, sink);
    if (request.json)
        printJson(context.out, sink.rows);
    else
        printTable(context.out, sink.rows);
    return 0;
}

constexpr const char* kListHelp =
    "Usage: zorvane-cli list [--json] [--include-ab] [--exclude KINDS]\n"
    "\n"
    "Surveys the drive letters and prints the rows of the drive list: a header line of the\n"
    "fourteen column captions, then one line per drive, fields separated by a tab, texts as\n"
    "the list shows them (the Drive field is the letter, a colon and a blank).\n"
    "\n"
    "Options:\n"
    "  --json            print one JSON array of objects keyed by the column captions\n"
    "  --include-ab      survey A: and B: as well (skipped by default)\n"
    "  --exclude KINDS   drop the rows of these kinds, a comma-separated list of\n"
    "                    local, cdrom, removable, network, notmounted, disconnected\n"
    "  --machine FILE    survey the simulated machine described by FILE\n";

}  // namespace

const CliCommand kListCommand = {"list", "list [--json] [--include-ab] [--exclude KINDS]", kListHelp, runList};

}  // namespace zv::cli
