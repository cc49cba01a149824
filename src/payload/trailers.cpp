// The trailer rule: what may follow a format's end. Fill (all 0xFF or all
// 0x00) is nothing to report; a trailer whose shape is recognised is checked
// (a match raises the verdict, a mismatch is proof of damage); anything else
// is reported by its length and judged by nothing.
#include <cstring>

#include "codec/bytes.h"
#include "payload/checksums.h"
#include "payload/payload_internal.h"
#include "sign/sha256.h"

namespace otawrap {

namespace {

using namespace payload_detail;

// A mark some images carry last, before the CRC-32 of every byte before it:
// seen after the fill of tagged containers, with a second image in between.
constexpr std::uint8_t kTrailerMark[4] = {0xA5, 0x5A, 0x5A, 0xA5};
constexpr std::size_t kMarkedTrailerSize = 8;
constexpr std::size_t kCrcTrailerSize = 4;

struct Candidate {
  PayloadTrailerKind kind;
  std::size_t offset;
  std::size_t length;
};

enum class Match : std::uint8_t { yes, no, overBudget };

Match crcMatches(const std::uint8_t* payload, std::size_t covered, std::uint32_t stored,
                 PayloadBudget& budget) {
  if (!budget.spend(kByteCost * covered)) return Match::overBudget;
  return crc32Update(0, payload, covered) == stored ? Match::yes : Match::no;
}

Match sha256Matches(const std::uint8_t* payload, std::size_t covered, const std::uint8_t* stored,
                    PayloadBudget& budget) {
  if (!budget.spend(kSha256ByteCost * covered)) return Match::overBudget;
  std::uint8_t digest[sha256DigestSize];
  sha256Hash(payload, covered, digest);
  return std::memcmp(digest, stored, sizeof digest) == 0 ? Match::yes : Match::no;
}

// Whether the candidate's value covers every byte before it or, with fill
// between, the format's bytes alone; the marked CRC-32 every byte before the
// mark.
Match candidateMatches(const std::uint8_t* payload, std::size_t end, const Candidate& c,
                       PayloadBudget& budget) {
  const std::uint8_t* value = payload + c.offset;
  Match match = Match::no;
  switch (c.kind) {
    case PayloadTrailerKind::markedCrc32:
      return crcMatches(payload, c.offset, loadLittle32(value + 4), budget);
    case PayloadTrailerKind::crc32:
      match = crcMatches(payload, c.offset, loadLittle32(value), budget);
      if (match == Match::no && end < c.offset) {
        match = crcMatches(payload, end, loadLittle32(value), budget);
      }
      return match;
    case PayloadTrailerKind::sha256:
      match = sha256Matches(payload, c.offset, value, budget);
      if (match == Match::no && end < c.offset) match = sha256Matches(payload, end, value, budget);
      return match;
    case PayloadTrailerKind::none: break;
  }
  return Match::no;
}

PayloadCheck withTrailer(PayloadCheck check, const Candidate& c, bool matches) {
  check.trailer = {c.kind, matches, c.offset, c.length};
  return check;
}

}  // namespace

namespace payload_detail {

bool isFill(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return true;
  if (bytes[0] != 0xFF && bytes[0] != 0x00) return false;
  for (std::size_t i = 1; i < count; ++i) {
    if (bytes[i] != bytes[0]) return false;
  }
  return true;
}

}  // namespace payload_detail

namespace {

// The trailer rule alone on payload[end..size), the format's bytes being
// [0, end); with endKnown false (end is ignored) only a trailer at the very
// end, matching every byte before it, can be told (else noCheckKnown).
PayloadCheck payloadTrailerCheck(const std::uint8_t* payload, std::size_t size, std::size_t end,
                                 bool endKnown, PayloadBudget& budget) {
  if (!endKnown) end = 0;
  const std::size_t tail = size - end;
  if (endKnown && isFill(payload + end, tail)) return ok(end);
  // The shapes that fit, in the order a mismatch is reported by. Without a
  // known end only a trailer at the very end, covering every byte before
  // it, can be told; with one, fill may come between.
  const auto fits = [&](std::size_t length) {
    return tail >= length && (!endKnown || isFill(payload + end, tail - length));
  };
  Candidate candidates[3];
  std::size_t count = 0;
  if (tail >= kMarkedTrailerSize &&
      std::memcmp(payload + size - kMarkedTrailerSize, kTrailerMark, sizeof kTrailerMark) == 0) {
    candidates[count++] = {PayloadTrailerKind::markedCrc32, size - kMarkedTrailerSize,
                           kMarkedTrailerSize};
  }
  if (fits(kCrcTrailerSize)) {
    candidates[count++] = {PayloadTrailerKind::crc32, size - kCrcTrailerSize, kCrcTrailerSize};
  }
  if (fits(sha256DigestSize)) {
    candidates[count++] = {PayloadTrailerKind::sha256, size - sha256DigestSize, sha256DigestSize};
  }
  for (std::size_t i = 0; i < count; ++i) {
    const Candidate& c = candidates[i];
    const Match match = candidateMatches(payload, endKnown ? end : c.offset, c, budget);
    if (match == Match::overBudget) return kOverBudget;
    if (match == Match::yes) return withTrailer(ok(endKnown ? end : c.offset), c, true);
  }
  if (!endKnown) return notCheckable(PayloadReason::noCheckKnown);
  if (count > 0) return withTrailer(fail(PayloadReason::trailerMismatch), candidates[0], false);
  PayloadCheck followed = ok(end);
  followed.followedBy = tail;
  return followed;
}

}  // namespace

PayloadCheck payloadWithTrailerRule(const PayloadCheck& own, bool endKnown,
                                    const std::uint8_t* payload, std::size_t size,
                                    PayloadBudget& budget) {
  const bool judgeTail = own.verdict == PayloadVerdict::ok ||
                         (own.verdict == PayloadVerdict::notCheckable &&
                          own.reason != PayloadReason::workBudget &&
                          own.reason != PayloadReason::readAsOtaFile);
  PayloadCheck judged = own;
  if (judgeTail) {
    const bool known = own.verdict == PayloadVerdict::ok && endKnown;
    judged = payloadTrailerCheck(payload, size, own.end, known, budget);
    // Without a known end, own stands when no trailer matches.
    if (!known && judged.verdict == PayloadVerdict::notCheckable &&
        judged.reason == PayloadReason::noCheckKnown) {
      judged = own;
    }
  }
  judged.formatVerdict = own.verdict;
  return judged;
}

}  // namespace otawrap
