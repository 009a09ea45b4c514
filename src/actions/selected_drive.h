// The drive a command acts on: the first character of the selected row's caption ("C: ").
#pragma once

#include <optional>
#include <string>

namespace zv::actions {

// The letter of a row caption ("C: " gives 'C'); nullopt for an empty caption.
std::optional<char> letterOfCaption(const std::string& caption);

// The folder the shell opens for a row: the caption without surrounding blanks, then "\"
// ("C: " gives "C:\").
std::string rootPathOfCaption(const std::string& caption);

// The drive name of a letter: the letter and ":" ("C:").
std::string driveName(char letter);

}  // namespace zv::actions
