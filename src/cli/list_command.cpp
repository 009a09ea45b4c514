// zorvane-cli list: the rows that the main window's drive list shows.
#include "cli/cli_context.h"
#include "cli/json_output.h"
#include "cli/list_columns.h"

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
    std::vector<const ListColumn*> columns;  // in output order
    bool headings = true;
    bool bytes = false;
};

ListRequest parseRequest(const ParsedArguments& args, bool json) {
    requireNoOperands(args, "list");
    ListRequest request;
    request.options.skipAB = !args.has("include-ab");
    for (const std::string& kinds : args.values("exclude")) applyExclusions(kinds, &request.options);
    request.headings = !args.has("noheadings");
    request.bytes = args.has("bytes");
    if (args.has("output")) {
        for (const std::string& list : args.values("output")) {
            const std::vector<std::string> keys = splitCommaList(list);
            if (keys.empty()) throw UsageError("--output needs one or more column names");
            for (const std::string& key : keys) {
                const ListColumn* column = findListColumn(key);
                if (!column) throw UsageError("unknown column '" + key + "' (columns: " + listColumnNames() + ")");
                request.columns.push_back(column);
            }
        }
    } else {
        request.columns = defaultListColumns(json);
    }
    return request;
}

// A tab or line break inside a field (a label may hold one) would split the row: it is
// written as a blank. Other control characters are shown as escapes (visibleText);
// everything else stands exactly as the list shows it.
std::string tabField(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return visibleText(text);
}

void printTable(std::ostream& out, const ListRequest& request, const std::vector<DriveRecord>& rows) {
    if (request.headings) {
        for (size_t i = 0; i < request.columns.size(); ++i) out << (i ? "\t" : "") << request.columns[i]->heading;
        out << "\n";
    }
    for (const DriveRecord& record : rows) {
        for (size_t i = 0; i < request.columns.size(); ++i)
            out << (i ? "\t" : "") << tabField(listCellText(*request.columns[i], record, request.bytes));
        out << "\n";
    }
}

nlohmann::ordered_json listJson(const ListRequest& request, const std::vector<DriveRecord>& rows) {
    nlohmann::ordered_json drives = nlohmann::ordered_json::array();
    for (const DriveRecord& record : rows) {
        nlohmann::ordered_json row = nlohmann::ordered_json::object();
        for (const ListColumn* column : request.columns) row[column->key] = listCellJson(*column, record, request.bytes);
        drives.push_back(std::move(row));
    }
    nlohmann::ordered_json answer = jsonAnswer();
    answer["drives"] = std::move(drives);
    return answer;
}

int runList(CliContext& context, const ParsedArguments& args) {
    const ListRequest request = parseRequest(args, context.json);
    NullEventPump pump;
    survey::DriveSurvey survey(context.platform, pump);
    survey::CollectingSink sink;
    survey.run(request.options, sink);
    if (context.json)
        writeJson(context.out, listJson(request, sink.rows));
    else
        printTable(context.out, request, sink.rows);
    return 0;
}

}  // namespace

const CliCommand kListCommand = {
    "list", "",
    "Surveys the drive letters and prints the rows of the drive list: a header line of the\n"
    "fourteen column captions, then one line per drive, fields separated by a tab, texts as\n"
    "the list shows them (the Drive field is the letter, a colon and a blank).\n"
    "\n"
    "Columns (for --output): drive, label, type, info, size, used, available, bytes_free,\n"
    "format, serial, percent_free, visibility, vendor, product as the list shows them, and\n"
    "the values letter, drive_type, size_bytes, used_bytes, available_bytes,\n"
    "percent_free_value, hidden, not_mounted, disconnected, identity. With --json every\n"
    "row holds all of them unless --output names some.\n",
    {
        {"output", 'o', "COLUMNS", "print these columns, a comma-separated list of the names above"},
        {"noheadings", 'n', nullptr, "print no header line"},
        {"bytes", 'b', nullptr, "print size, used, available and bytes_free as plain byte counts"},
        {"include-ab", 0, nullptr, "survey A: and B: as well (skipped by default)"},
        {"exclude", 0, "KINDS",
         "drop the rows of these kinds, a comma-separated list of\n"
         "local, cdrom, removable, network, notmounted, disconnected"},
    },
    runList};

}  // namespace zv::cli
