#include "commands/diff.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "app/file_options.h"
#include "app/signature_facts.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "ota/signature_check.h"
#include "report/check_texts.h"
#include "report/header_fields.h"
#include "report/json_writer.h"
#include "report/payload_report.h"

namespace otawrap {

namespace {

// One difference: what, and how it reads in each file ("(none)" when absent).
struct Difference {
  std::string what;
  std::string first;
  std::string second;
};

constexpr char kNone[] = "(none)";

std::string subElementText(const OtaSubElement& e) {
  return "0x" + hexUpper(e.tag, 4) + " (" + otaTagKindName(otaTagKind(e.tag)) + "), " +
         std::to_string(e.length) + " bytes";
}

// The data of an optional seal element as hex, or kNone.
std::string elementHex(const OtaInput& input, const std::optional<OtaSubElement>& element) {
  if (!element) return kNone;
  return hexUpperOctets(input.file() + element->dataOffset(), element->length);
}

void compare(std::vector<Difference>& out, const std::string& what, const std::string& first,
             const std::string& second) {
  if (first != second) out.push_back({what, first, second});
}

std::vector<Difference> differences(const OtaInput& a, const OtaInput& b) {
  std::vector<Difference> out;
  const std::vector<HeaderField> fa = otaHeaderFields(a.info);
  const std::vector<HeaderField> fb = otaHeaderFields(b.info);
  for (std::size_t i = 0; i < fa.size(); ++i) {
    compare(out, fa[i].label, fa[i].shown ? headerFieldText(fa[i], a.info.header) : kNone,
            fb[i].shown ? headerFieldText(fb[i], b.info.header) : kNone);
  }
  const std::vector<OtaSubElement>& ea = a.info.subElements;
  const std::vector<OtaSubElement>& eb = b.info.subElements;
  for (std::size_t i = 0; i < std::max(ea.size(), eb.size()); ++i) {
    const std::string what = "Sub-element " + std::to_string(i);
    const std::string ta = i < ea.size() ? subElementText(ea[i]) : kNone;
    const std::string tb = i < eb.size() ? subElementText(eb[i]) : kNone;
    compare(out, what, ta, tb);
    // The seal elements of suite 1 (tags 1 to 3) have lines of their own below.
    if (ta == tb && (ea[i].tag == 0 || ea[i].tag > 3) &&
        std::memcmp(a.file() + ea[i].dataOffset(), b.file() + eb[i].dataOffset(),
                                ea[i].length) != 0) {
      out.push_back({what, "data differs", "data differs"});
    }
  }
  compare(out, "Sub-elements", std::to_string(a.info.subElementCount),
          std::to_string(b.info.subElementCount));
  for (std::size_t i = 0; i < std::max(a.payloads.size(), b.payloads.size()); ++i) {
    compare(out, "Payload " + std::to_string(i),
            i < a.payloads.size() ? payloadSummaryText(a.payloads[i]) : kNone,
            i < b.payloads.size() ? payloadSummaryText(b.payloads[i]) : kNone);
  }
  const std::uint8_t* signerA = otaSignerAddressBytes(a.file(), a.info);
  const std::uint8_t* signerB = otaSignerAddressBytes(b.file(), b.info);
  compare(out, "Signer", signerA != nullptr ? storedAddressText(signerA) : kNone,
          signerB != nullptr ? storedAddressText(signerB) : kNone);
  compare(out, "Certificate", elementHex(a, a.info.firstCertificate),
          elementHex(b, b.info.firstCertificate));
  compare(out, "Integrity code", elementHex(a, a.info.firstIntegrityCode),
          elementHex(b, b.info.firstIntegrityCode));
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const auto id = static_cast<OtaCheckId>(i);
    const OtaCheck& ca = a.info.check(id);
    const OtaCheck& cb = b.info.check(id);
    const auto text = [](const OtaCheck& c) {
      return c.state == OtaCheckState::failed ? "FAILED: " + otaCheckReasonText(c)
             : c.state == OtaCheckState::passed ? std::string("ok")
                                                : std::string("not applicable");
    };
    compare(out, std::string("Check ") + otaCheckName(id), text(ca), text(cb));
  }
  return out;
}

std::string textReport(const DiffOptions& options, const std::vector<Difference>& found) {
  // Each line escaped on its own: the names and values come from the files.
  std::string out = escapeControlCharacters("--- " + options.first) + "\n" +
                    escapeControlCharacters("+++ " + options.second) + "\n";
  for (const Difference& d : found) {
    const std::string change = d.first == d.second ? d.first : d.first + " -> " + d.second;
    out += escapeControlCharacters(d.what + ": " + change) + "\n";
  }
  return found.empty() ? out + "no difference\n" : out;
}

std::string jsonReport(const DiffOptions& options, const std::vector<Difference>& found) {
  JsonWriter json;
  json.beginObject();
  json.stringMember("first", options.first);
  json.stringMember("second", options.second);
  json.booleanMember("same", found.empty());
  json.key("differences");
  json.beginArray();
  for (const Difference& d : found) {
    json.beginObject();
    json.stringMember("what", d.what);
    json.stringMember("first", d.first);
    json.stringMember("second", d.second);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  return json.text() + "\n";
}

int runDiff(const DiffOptions& options, const Console& console) {
  OtaInput first;
  OtaInput second;
  Problem problem{Failure::usage, "", "", 0};
  if (!openOtaInput(options.first, options.input, first, problem) ||
      !openOtaInput(options.second, options.input, second, problem)) {
    return reportFailure(problem, console);
  }
  const std::vector<Difference> found = differences(first, second);
  console.out << (options.json ? jsonReport(options, found) : textReport(options, found));
  return finishOutput(console, found.empty() ? Outcome::success : Outcome::wanting);
}

std::string storeFiles(const std::vector<std::string>& operands, DiffOptions& options) {
  options.first = operands[0];
  options.second = operands[1];
  return "";
}

}  // namespace

const CommandDefinition<DiffOptions>& diffDefinition() {
  using O = DiffOptions;
  static const CommandDefinition<O> definition = {
      {"diff", nullptr, CommandKind::judges, "A B [--json]", "what differs between two OTA files",
       "A B [--no-payload-check] [--json]",
       "Reads the OTA files A and B as info does and prints only what differs, one\n"
       "line each as 'WHAT: A's -> B's' (or 'data differs'): header fields,\n"
       "sub-elements (tag, length, data), the payload of each upgrade image (format\n"
       "and verdict), signer, certificate, integrity code and checks; 'no difference'\n"
       "when there is none.\n",
       "Options:", "otawrap diff old.zigbee new.zigbee"},
      {
          {{'\0', "json", nullptr, "one JSON object instead of text", true}, setFlag<O, &O::json>},
          payloadCheckRow<O>(),
      },
      {},
      {2, 2, "FILE"},
      storeFiles,
      runDiff,
  };
  return definition;
}

const Command& diffCommand() {
  static const DefinedCommand<DiffOptions> command(diffDefinition());
  return command;
}

}  // namespace otawrap
