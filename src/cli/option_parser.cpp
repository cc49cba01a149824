#include "cli/option_parser.h"

#include <algorithm>
#include <cstring>

#include "cli/spelling.h"

namespace otawrap {

namespace {

constexpr std::size_t kNone = kAnyNumber;

std::size_t findShort(const std::vector<OptionDefinition>& definitions, char name) {
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    if (definitions[i].shortName != '\0' && definitions[i].shortName == name) return i;
  }
  return kNone;
}

std::size_t findLong(const std::vector<OptionDefinition>& definitions, const std::string& name) {
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    if (definitions[i].longName != nullptr && name == definitions[i].longName) return i;
  }
  return kNone;
}

std::string nearestLongOption(const std::vector<OptionDefinition>& definitions,
                              const std::string& name) {
  std::vector<const char*> names;
  for (const OptionDefinition& d : definitions) {
    if (d.longName != nullptr) names.push_back(d.longName);
  }
  const char* nearest = nearestWord(name, names, std::min<std::size_t>(2, name.size() / 2));
  return nearest == nullptr ? "" : std::string("did you mean '--") + nearest + "'?";
}

bool seen(const ParsedArguments& parsed, std::size_t row) {
  return std::any_of(parsed.options.begin(), parsed.options.end(),
                     [row](const ParsedOption& o) { return o.row == row; });
}

}  // namespace

std::string parseOptions(const std::vector<OptionDefinition>& definitions, OperandRule operands,
                         const std::vector<std::string>& arguments, ParsedArguments& parsed) {
  bool optionsEnded = definitions.empty();
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
    const bool isLong = argument[1] == '-';
    const std::size_t equals = isLong ? argument.find('=') : std::string::npos;
    const std::string name = isLong ? argument.substr(0, equals) : argument.substr(0, 2);
    const std::size_t row = isLong ? findLong(definitions, name.substr(2)) : findShort(definitions, argument[1]);
    std::string value;
    bool valueAttached = false;
    if (isLong) {
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
        valueAttached = true;
      }
    } else {
      if (argument.size() > 2) {
        if (row != kNone && definitions[row].metavar == nullptr) {
          std::string message = "option " + name;
          message += " takes no value: '" + argument + "'";
          return message;
        }
        value = argument.substr(2);
        valueAttached = true;
      }
    }
    if (row == kNone) {
      if (isLong) parsed.hint = nearestLongOption(definitions, name.substr(2));
      return "unknown option '" + name + "'";
    }
    const bool takesValue = definitions[row].metavar != nullptr;
    if (!takesValue && valueAttached) return "option " + name + " takes no value";
    if (takesValue && !valueAttached) {
      if (i + 1 == arguments.size()) return "option " + name + " needs a value";
      value = arguments[++i];
    }
    if (!definitions[row].repeatable && seen(parsed, row)) {
      return "option " + name + " given more than once";
    }
    parsed.options.push_back({row, name, value});
  }
  if (parsed.operands.size() < operands.least) {
    return std::string("missing ") + operands.name + " operand";
  }
  if (parsed.operands.size() > operands.most) {
    return "unexpected operand '" + parsed.operands[operands.most] + "'";
  }
  return "";
}

std::string exclusionError(const std::vector<OptionDefinition>& definitions,
                           const std::vector<Exclusion>& exclusions,
                           const ParsedArguments& parsed) {
  for (const Exclusion& exclusion : exclusions) {
    std::size_t given = 0;
    for (const char* name : exclusion.longNames) {
      const std::size_t row = findLong(definitions, name);
      if (row != kNone && seen(parsed, row)) ++given;
    }
    if (given < 2) continue;
    const std::vector<const char*>& names = exclusion.longNames;
    if (names.size() == 2) {
      return std::string("--") + names[0] + " and --" + names[1] + " exclude each other";
    }
    std::string text = "give only one of";
    for (std::size_t i = 0; i < names.size(); ++i) {
      text += i == 0 ? " --" : i + 1 == names.size() ? " and --" : ", --";
      text += names[i];
    }
    return text;
  }
  return "";
}

}  // namespace otawrap
