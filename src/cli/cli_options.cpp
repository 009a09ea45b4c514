#include "cli/cli_options.h"

#include "cli/cli_context.h"

#include <algorithm>

namespace zv::cli {

std::string ParsedArguments::value(const std::string& longName, const std::string& fallback) const {
    const auto found = m_options.find(longName);
    return found == m_options.end() ? fallback : found->second.back();
}

std::vector<std::string> ParsedArguments::values(const std::string& longName) const {
    const auto found = m_options.find(longName);
    return found == m_options.end() ? std::vector<std::string>{} : found->second;
}

void ParsedArguments::merge(const ParsedArguments& other) {
    for (const auto& [name, given] : other.m_options)
        for (const std::string& value : given) addOption(name, value);
}

namespace {

const OptionSpec* findLong(const std::vector<OptionSpec>& specs, const std::string& name) {
    for (const OptionSpec& entry : specs)
        if (name == entry.longName) return &entry;
    return nullptr;
}

const OptionSpec* findShort(const std::vector<OptionSpec>& specs, char name) {
    for (const OptionSpec& entry : specs)
        if (entry.shortName != 0 && entry.shortName == name) return &entry;
    return nullptr;
}

// "--name", "--name=VALUE" or "--name VALUE" at args[*index].
void takeLongOption(const std::vector<std::string>& args, size_t* index, const std::vector<OptionSpec>& specs,
                    ParsedArguments* parsed) {
    const std::string& argument = args[*index];
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const OptionSpec* entry = findLong(specs, name);
    if (!entry) throw UsageError("unknown option '--" + name + "'");
    if (!entry->valueName) {
        if (equals != std::string::npos) throw UsageError("option --" + name + " takes no value");
        parsed->addOption(entry->longName, "");
    } else if (equals != std::string::npos) {
        parsed->addOption(entry->longName, argument.substr(equals + 1));
    } else if (*index + 1 < args.size()) {
        parsed->addOption(entry->longName, args[++*index]);
    } else {
        throw UsageError("option --" + name + " needs a value (" + entry->valueName + ")");
    }
}

// "-x", "-xVALUE", "-x VALUE" or grouped flags "-nb" at args[*index].
void takeShortOptions(const std::vector<std::string>& args, size_t* index, const std::vector<OptionSpec>& specs,
                      ParsedArguments* parsed) {
    const std::string& argument = args[*index];
    for (size_t at = 1; at < argument.size(); ++at) {
        const OptionSpec* entry = findShort(specs, argument[at]);
        if (!entry) throw UsageError("unknown option '-" + std::string(1, argument[at]) + "'");
        if (!entry->valueName) {
            parsed->addOption(entry->longName, "");
            continue;
        }
        if (at + 1 < argument.size()) {
            parsed->addOption(entry->longName, argument.substr(at + 1));
        } else if (*index + 1 < args.size()) {
            parsed->addOption(entry->longName, args[++*index]);
        } else {
            throw UsageError("option -" + std::string(1, entry->shortName) + " needs a value (" + entry->valueName + ")");
        }
        return;
    }
}

bool isOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

std::string optionLabel(const OptionSpec& entry) {
    std::string label = entry.shortName ? std::string("-") + entry.shortName + ", " : std::string("    ");
    label += std::string("--") + entry.longName;
    if (entry.valueName) label += std::string(" ") + entry.valueName;
    return label;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                               bool stopAtOperand, size_t* next) {
    ParsedArguments parsed;
    bool optionsEnded = false;
    size_t index = 0;
    for (; index < args.size(); ++index) {
        const std::string& argument = args[index];
        if (optionsEnded || !isOption(argument)) {
            if (stopAtOperand) break;
            parsed.addOperand(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument.rfind("--", 0) == 0) {
            takeLongOption(args, &index, specs, &parsed);
        } else {
            takeShortOptions(args, &index, specs, &parsed);
        }
    }
    if (next) *next = index;
    return parsed;
}

std::string optionHelpLines(const std::vector<OptionSpec>& specs) {
    size_t width = 0;
    for (const OptionSpec& entry : specs) width = std::max(width, optionLabel(entry).size());
    std::string lines;
    for (const OptionSpec& entry : specs) {
        const std::string label = optionLabel(entry);
        std::string help = entry.help;
        // Continuation lines of a help text line up under its first line.
        const std::string indent = "\n" + std::string(width + 4, ' ');
        for (size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += indent.size())
            help.replace(at, 1, indent);
        lines += "  " + label + std::string(width - label.size() + 2, ' ') + help + "\n";
    }
    return lines;
}

std::string optionSynopsis(const std::vector<OptionSpec>& specs) {
    std::string synopsis;
    for (const OptionSpec& entry : specs) {
        synopsis += synopsis.empty() ? "[" : " [";
        synopsis += entry.shortName ? std::string("-") + entry.shortName : std::string("--") + entry.longName;
        if (entry.valueName) synopsis += std::string(" ") + entry.valueName;
        synopsis += "]";
    }
    return synopsis;
}

}  // namespace zv::cli
