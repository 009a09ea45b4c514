#include "cli/list_columns.h"

#include <cmath>
#include <cstdint>

namespace zv::cli {

namespace {

using nlohmann::ordered_json;
using survey::DriveRecord;

// A quantity the survey measured, or null: a disconnected letter is not measured and a
// failed size query leaves -1.
ordered_json measuredBytes(const DriveRecord& record, double bytes) {
    if (record.Disconnected || bytes < 0 || !std::isfinite(bytes)) return nullptr;
    return static_cast<int64_t>(std::llround(bytes));
}

ordered_json usedBytes(const DriveRecord& record) {
    if (measuredBytes(record, record.TotalBytes).is_null() || measuredBytes(record, record.FreeBytes).is_null())
        return nullptr;
    return measuredBytes(record, record.UsedBytes);
}

const ListColumn kColumns[] = {
    {"drive", "Drive", [](const DriveRecord& r) -> ordered_json { return r.caption; }},
    {"label", "Label", [](const DriveRecord& r) -> ordered_json { return r.VolumeLabel; }},
    {"type", "Type", [](const DriveRecord& r) -> ordered_json { return r.TypeText; }},
    {"info", "Additional Info", [](const DriveRecord& r) -> ordered_json { return r.AdditionalInfo; }},
    {"size", "Size", [](const DriveRecord& r) -> ordered_json { return r.sizeText; }, "size_bytes"},
    {"used", "Used", [](const DriveRecord& r) -> ordered_json { return r.usedText; }, "used_bytes"},
    {"available", "Available", [](const DriveRecord& r) -> ordered_json { return r.availableText; },
     "available_bytes"},
    {"bytes_free", "Bytes Free", [](const DriveRecord& r) -> ordered_json { return r.bytesFreeText; },
     "available_bytes"},
    {"format", "Format", [](const DriveRecord& r) -> ordered_json { return r.FileSystemName; }},
    {"serial", "Volume Serial", [](const DriveRecord& r) -> ordered_json { return r.SerialText; }},
    {"percent_free", "% Free", [](const DriveRecord& r) -> ordered_json { return r.percentFreeText; }},
    {"visibility", "Visibility", [](const DriveRecord& r) -> ordered_json { return r.Visibility; }},
    {"vendor", "Vendor", [](const DriveRecord& r) -> ordered_json { return r.Vendor; }},
    {"product", "Product Id", [](const DriveRecord& r) -> ordered_json { return r.ProductId; }},
    {"letter", "letter", [](const DriveRecord& r) -> ordered_json { return std::string(1, r.Letter); }},
    {"drive_type", "drive_type", [](const DriveRecord& r) -> ordered_json { return r.DriveType; }},
    {"size_bytes", "size_bytes", [](const DriveRecord& r) { return measuredBytes(r, r.TotalBytes); }},
    {"used_bytes", "used_bytes", [](const DriveRecord& r) { return usedBytes(r); }},
    {"available_bytes", "available_bytes", [](const DriveRecord& r) { return measuredBytes(r, r.FreeBytes); }},
    {"percent_free_value", "percent_free_value",
     [](const DriveRecord& r) -> ordered_json {
         if (!std::isfinite(r.PercentFree)) return nullptr;
         return r.PercentFree;
     }},
    {"hidden", "hidden", [](const DriveRecord& r) -> ordered_json { return r.Hidden; }},
    {"not_mounted", "not_mounted", [](const DriveRecord& r) -> ordered_json { return r.NotMounted; }},
    {"disconnected", "disconnected", [](const DriveRecord& r) -> ordered_json { return r.Disconnected; }},
    {"identity", "identity", [](const DriveRecord& r) -> ordered_json { return r.IdentityText; }},
};
constexpr size_t kDisplayColumnCount = 14;

// A value in the text output: texts as they are, numbers in plain decimal, null as "".
std::string plainText(const ordered_json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_null()) return {};
    return value.dump();
}

}  // namespace

const ListColumn* findListColumn(const std::string& key) {
    for (const ListColumn& column : kColumns)
        if (key == column.key) return &column;
    return nullptr;
}

std::string listColumnNames() {
    std::string names;
    for (const ListColumn& column : kColumns) names += std::string(names.empty() ? "" : ", ") + column.key;
    return names;
}

std::vector<const ListColumn*> defaultListColumns(bool json) {
    std::vector<const ListColumn*> columns;
    for (const ListColumn& column : kColumns) columns.push_back(&column);
    if (!json) columns.resize(kDisplayColumnCount);
    return columns;
}

ordered_json listCellJson(const ListColumn& column, const DriveRecord& record, bool bytes) {
    if (bytes && column.bytesKey) return plainText(findListColumn(column.bytesKey)->value(record));
    return column.value(record);
}

std::string listCellText(const ListColumn& column, const DriveRecord& record, bool bytes) {
    return plainText(listCellJson(column, record, bytes));
}

}  // namespace zv::cli
