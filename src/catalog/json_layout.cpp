#include "catalog/json_layout.h"

namespace otawrap {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isWhiteSpace(char c) { return isBlank(c) || c == '\n' || c == '\r'; }

// The white space in text from at on, before end.
std::string whiteSpaceAt(const std::string& text, std::size_t at, std::size_t end) {
  std::size_t to = at;
  while (to < end && isWhiteSpace(text[to])) ++to;
  return text.substr(at, to - at);
}

// Sets newline, base and indent from the white space inside the opening
// bracket at begin; the line starts at lineStart.
void takeIndentation(const std::string& text, std::size_t lineStart, std::size_t begin,
                     std::size_t end, JsonLayout& layout) {
  const std::string inside = whiteSpaceAt(text, begin + 1, end);
  const std::size_t lineBreak = inside.rfind('\n');
  if (lineBreak == std::string::npos) return;
  layout.newline = lineBreak > 0 && inside[lineBreak - 1] == '\r' ? "\r\n" : "\n";
  const std::string member = inside.substr(lineBreak + 1);
  const std::string base = text.substr(lineStart, begin - lineStart);
  // A member indented below the value's own line: that line's indentation
  // is the base; anything else is taken as one level from the margin.
  if (member.size() > base.size() && member.compare(0, base.size(), base) == 0) {
    layout.base = base;
    layout.indent = member.substr(base.size());
  } else {
    layout.indent = member;
  }
}

}  // namespace

JsonLayout jsonLayoutOf(const std::string& text, std::size_t begin, std::size_t end) {
  JsonLayout layout;
  std::size_t lineStart = begin;
  while (lineStart > 0 && isBlank(text[lineStart - 1])) --lineStart;
  if (lineStart > 0 && text[lineStart - 1] != '\n') lineStart = begin;  // not first on its line
  takeIndentation(text, lineStart, begin, end, layout);
  // The white space after the first ':' and ',' of the value's own level.
  bool colonSeen = false;
  bool commaSeen = false;
  bool inString = false;
  std::size_t depth = 0;
  for (std::size_t i = begin; i < end && !(colonSeen && commaSeen); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
    } else if (depth == 1 && c == ':' && !colonSeen) {
      colonSeen = true;
      const std::string after = whiteSpaceAt(text, i + 1, end);
      layout.afterColon = after.find('\n') == std::string::npos ? after : " ";
    } else if (depth == 1 && c == ',' && !commaSeen) {
      commaSeen = true;
      // Members on lines of their own in a value that opens on one line:
      // one space where a one-line layout breaks no line.
      const std::string after = whiteSpaceAt(text, i + 1, end);
      layout.afterComma = after.find('\n') == std::string::npos ? after : " ";
    }
  }
  return layout;
}

JsonLayout jsonIndentLayout(std::size_t spaces) {
  JsonLayout layout;
  layout.newline = "\n";
  layout.indent = std::string(spaces, ' ');
  layout.afterColon = " ";
  return layout;
}

std::string jsonLaidOut(const std::string& compact, const JsonLayout& layout) {
  const bool lines = !layout.newline.empty();
  std::string out;
  out.reserve(compact.size() * 2);
  std::size_t depth = 0;
  const auto breakLine = [&] {
    out += layout.newline;
    out += layout.base;
    for (std::size_t level = 0; level < depth; ++level) out += layout.indent;
  };
  bool inString = false;
  for (std::size_t i = 0; i < compact.size(); ++i) {
    const char c = compact[i];
    out += c;
    if (inString) {
      if (c == '\\' && i + 1 < compact.size()) {
        out += compact[++i];
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    switch (c) {
      case '"':
        inString = true;
        break;
      case '{':
      case '[':
        if (i + 1 < compact.size() && (compact[i + 1] == '}' || compact[i + 1] == ']')) {
          out += compact[++i];  // empty: stays on its line
        } else {
          ++depth;
          if (lines) breakLine();
        }
        break;
      case '}':
      case ']':
        out.pop_back();
        if (depth > 0) --depth;
        if (lines) breakLine();
        out += c;
        break;
      case ',':
        if (lines) {
          breakLine();
        } else {
          out += layout.afterComma;
        }
        break;
      case ':':
        out += layout.afterColon;
        break;
      default:
        break;
    }
  }
  return out;
}

}  // namespace otawrap
