// The columns of `zorvane-cli list`: the fourteen texts of the drive list and the machine
// values of a row, each under its key.
#pragma once

#include "survey/drive_survey.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace zv::cli {

struct ListColumn {
    const char* key;      // "size", "size_bytes"
    const char* heading;  // the text header: the list's caption, or the key of a value
    // The cell as JSON: a text (display columns) or a machine value.
    nlohmann::ordered_json (*value)(const survey::DriveRecord& record);
    // For size, used, available and bytes_free: the machine value that --bytes prints.
    const char* bytesKey = nullptr;
};

// nullptr when `key` names no column.
const ListColumn* findListColumn(const std::string& key);
// "drive, label, ..." for messages.
std::string listColumnNames();
// The fourteen display columns (text), or every column (JSON).
std::vector<const ListColumn*> defaultListColumns(bool json);

// The cell of a column: with `bytes` the byte columns give their plain count ("" when not
// measured). A text cell of the text output is the text; a value is written as JSON.
std::string listCellText(const ListColumn& column, const survey::DriveRecord& record, bool bytes);
nlohmann::ordered_json listCellJson(const ListColumn& column, const survey::DriveRecord& record, bool bytes);

}  // namespace zv::cli
