#include "cli/option_parser.h"

#include <algorithm>
#include <cstring>

namespace otawrap {

namespace {

const OptionSpec* findShort(const std::vector<OptionSpec>& specs, char name) {
  for (const OptionSpec& s : specs) {
    if (s.shortName != '\0' && s.shortName == name) return &s;
  }
  return nullptr;
}

const OptionSpec* findLong(const std::vector<OptionSpec>& specs, const std::string& name) {
  for (const OptionSpec& s : specs) {
    if (s.longName != nullptr && name == s.longName) return &s;
  }
  return nullptr;
}

bool seen(const ParsedArguments& parsed, int id) {
  return std::any_of(parsed.options.begin(), parsed.options.end(),
                     [id](const ParsedOption& o) { return o.id == id; });
}

}  // namespace

std::string parseOptions(const std::vector<OptionSpec>& specs, OperandRule operands,
                         const std::vector<std::string>& arguments, ParsedArguments& parsed) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      parsed.operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionSpec* row = nullptr;
    std::string name;
    std::string value;
    bool valueAttached = false;
    if (argument[1] == '-') {
      const std::size_t equals = argument.find('=');
      name = argument.substr(0, equals);
      row = findLong(specs, name.substr(2));
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
        valueAttached = true;
      }
    } else {
      name = argument.substr(0, 2);
      row = findShort(specs, argument[1]);
      if (argument.size() > 2) {
        if (row != nullptr && !row->takesValue) {
          std::string message = "option " + name;
          message += " takes no value: '" + argument + "'";
          return message;
        }
        value = argument.substr(2);
        valueAttached = true;
      }
    }
    if (row == nullptr) return "unknown option '" + name + "'";
    if (!row->takesValue && valueAttached) return "option " + name + " takes no value";
    if (row->takesValue && !valueAttached) {
      if (i + 1 == arguments.size()) return "option " + name + " needs a value";
      value = arguments[++i];
    }
    if (!row->repeatable && seen(parsed, row->id)) {
      return "option " + name + " given more than once";
    }
    parsed.options.push_back({row->id, name, value});
  }
  if (parsed.operands.size() < operands.count) {
    return std::string("missing ") + operands.name + " operand";
  }
  if (!operands.orMore && parsed.operands.size() > operands.count) {
    return "unexpected operand '" + parsed.operands[operands.count] + "'";
  }
  return "";
}

}  // namespace otawrap
