#include "app/signature_facts.h"

#include "codec/hex.h"

namespace otawrap {

namespace {

std::string twoDigits(std::uint64_t value) {
  return std::string(1, static_cast<char>('0' + value / 10)) +
         static_cast<char>('0' + value % 10);
}

// The certificate's seconds are read as counted from 1970 (the published
// suite-2 vector then dates from 2018).
std::string validUntil(const Suite2Certificate& c) {
  if (c.validFor == kSuite2NeverExpires) return "never expires";
  return utcText(c.validFrom + c.validFor);
}

std::string keyUsageText(std::uint8_t usage) {
  std::string names;
  if ((usage & kSuite2KeyAgreement) != 0) names = "key agreement";
  if ((usage & kSuite2DigitalSignature) != 0) {
    names += names.empty() ? "digital signature" : ", digital signature";
  }
  if ((usage & ~(kSuite2KeyAgreement | kSuite2DigitalSignature) & 0xFF) != 0) {
    names += names.empty() ? "other bits" : ", other bits";
  }
  return "0x" + hexUpper(usage, 2) + (names.empty() ? "" : " (" + names + ")");
}

}  // namespace

std::string storedAddressText(const std::uint8_t* stored) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | stored[i];
  return hexUpper(value, 16);
}

std::string utcText(std::uint64_t seconds) {
  // Days to a civil date, proleptic Gregorian (H. Hinnant's days_from_civil
  // inverted); no time zone or library clock involved.
  const std::uint64_t days = seconds / 86400;
  const std::uint64_t rest = seconds % 86400;
  const std::uint64_t z = days + 719468;
  const std::uint64_t era = z / 146097;
  const std::uint64_t dayOfEra = z - era * 146097;
  const std::uint64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::uint64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const std::uint64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const std::uint64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::uint64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return std::to_string(year) + "-" + twoDigits(month) + "-" + twoDigits(day) + " " +
         twoDigits(rest / 3600) + ":" + twoDigits(rest / 60 % 60) + ":" + twoDigits(rest % 60) +
         " UTC";
}

std::string signatureFactsText(const SignatureFacts& facts) {
  std::string out;
  if (facts.signer != nullptr) out += "Signer: " + storedAddressText(facts.signer) + "\n";
  if (facts.certificateShown) {
    const Suite2Certificate& c = facts.certificate;
    out += "Subject: " + hexUpperOctets(c.subject.data(), c.subject.size()) + "\n";
    out += "Issuer: " + hexUpperOctets(c.issuer.data(), c.issuer.size()) + "\n";
    out += "Serial: " + hexUpperOctets(c.serial.data(), c.serial.size()) + "\n";
    out += "Valid from: " + utcText(c.validFrom) + "\n";
    out += "Valid until: " + validUntil(c) + "\n";
    out += "Key usage: " + keyUsageText(c.keyUsage) + "\n";
  }
  if (!facts.publicKey.empty()) out += "Public key: " + facts.publicKey + "\n";
  return out;
}

void signatureFactsJson(JsonWriter& json, const SignatureFacts& facts) {
  json.key("signature");
  json.beginObject();
  json.numberMember("cryptoSuite", facts.curve == SigningCurve::sect163k1 ? 1 : 2);
  json.key("signer");
  if (facts.signer != nullptr) {
    json.string(storedAddressText(facts.signer));
  } else {
    json.null();
  }
  json.key("publicKey");
  if (facts.publicKey.empty()) {
    json.null();
  } else {
    json.string(facts.publicKey);
  }
  if (facts.certificateShown) {
    const Suite2Certificate& c = facts.certificate;
    json.key("certificate");
    json.beginObject();
    json.stringMember("subject", hexUpperOctets(c.subject.data(), c.subject.size()));
    json.stringMember("issuer", hexUpperOctets(c.issuer.data(), c.issuer.size()));
    json.stringMember("serial", hexUpperOctets(c.serial.data(), c.serial.size()));
    json.numberMember("validFrom", c.validFrom);
    json.numberMember("validFor", c.validFor);
    json.stringMember("validFromUtc", utcText(c.validFrom));
    json.key("validUntilUtc");
    if (c.validFor == kSuite2NeverExpires) {
      json.null();
    } else {
      json.string(utcText(c.validFrom + c.validFor));
    }
    json.numberMember("keyUsage", c.keyUsage);
    json.endObject();
  }
  json.endObject();
}

}  // namespace otawrap
