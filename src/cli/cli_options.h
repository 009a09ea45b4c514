// The one argument parser of zorvane-cli: long options as "--name VALUE" or "--name=VALUE",
// short options as "-x VALUE", "-xVALUE" or grouped flags "-nb", "--" ending the options.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zv::cli {

// One option a subcommand (or the program) accepts.
struct OptionSpec {
    const char* longName;             // without the dashes: "output"
    char shortName = 0;               // 'o', or 0 when the option has no short form
    const char* valueName = nullptr;  // "COLUMNS" for an option with a value, nullptr for a flag
    const char* help = "";            // one or more lines for --help, without indentation
};

// What the parser found: the options by long name (a flag holds "", a repeated option
// every value in order) and the operands in order.
class ParsedArguments {
public:
    bool has(const std::string& longName) const { return m_options.count(longName) != 0; }
    // The last value of the option; `fallback` when it was not given.
    std::string value(const std::string& longName, const std::string& fallback = {}) const;
    // Every value of the option in order; empty when it was not given.
    std::vector<std::string> values(const std::string& longName) const;
    const std::vector<std::string>& operands() const { return m_operands; }

    void addOption(const std::string& longName, const std::string& value) { m_options[longName].push_back(value); }
    void addOperand(const std::string& operand) { m_operands.push_back(operand); }
    // Takes over the options of `other` (global options given before the subcommand).
    void merge(const ParsedArguments& other);

private:
    std::map<std::string, std::vector<std::string>> m_options;
    std::vector<std::string> m_operands;
};

// Parses `args` against `specs`. With `stopAtOperand` the parse ends at the first operand,
// which is left in place: `*next` is then its index (args.size() when there is none).
// Throws UsageError for an unknown option, a missing value or a value given to a flag.
ParsedArguments parseArguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                               bool stopAtOperand = false, size_t* next = nullptr);

// The option lines of a help text: "  -o, --output COLUMNS  text", texts aligned.
std::string optionHelpLines(const std::vector<OptionSpec>& specs);

// The bracketed form of the options for a synopsis: "[-o COLUMNS] [-n] [--include-ab]".
std::string optionSynopsis(const std::vector<OptionSpec>& specs);

}  // namespace zv::cli
