// The payload module. The first byte picks the run:
//   bit 0 clear: the rest is a payload. Identification must be the same
//     twice, every format's check must finish inside the bytes (the
//     sanitizers watch), an unrecognised payload is not checkable (a
//     matching trailer alone makes it ok), a
//     payload judged failed is a format with a magic or one whose own check
//     held (a trailer differs), and a payload whose format's bytes reach its
//     end may not pass its check once its last byte is gone, unless that
//     byte could be fill.
//   bit 0 set: the test kit's generator writes a valid payload of the format
//     chosen by the second byte, seeded by the next four; it must be judged
//     as that format and pass. The remaining bytes then flip bytes in it
//     (position, mask pairs) and the check must still finish.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "payload/payload.h"
#include "support/fuzz_check.h"
#include "support/payload_generator.h"

namespace {

using namespace otawrap;
using fuzz::fuzzCheck;

constexpr PayloadFormat kGenerated[] = {
    PayloadFormat::gbl,       PayloadFormat::ebl,        PayloadFormat::segmentedApp,
    PayloadFormat::knltImage, PayloadFormat::vectorTable, PayloadFormat::fb05Head,
    PayloadFormat::xzStream,  PayloadFormat::zlibStream, PayloadFormat::imagePreamble};

bool hasKnownEnd(PayloadFormat format) {
  return format == PayloadFormat::gbl || format == PayloadFormat::segmentedApp ||
         format == PayloadFormat::knltImage || format == PayloadFormat::xzStream ||
         format == PayloadFormat::zlibStream;
}

void checkArbitrary(const std::uint8_t* data, std::size_t size) {
  const PayloadFormat format = payloadIdentify(data, size, {});
  fuzzCheck(format == payloadIdentify(data, size, {}), "identification is repeatable");
  for (std::size_t f = 0; f < kPayloadFormatCount; ++f) {
    static_cast<void>(payloadCheck(static_cast<PayloadFormat>(f), data, size));
  }
  const PayloadCheck check = payloadCheck(format, data, size);
  if (format == PayloadFormat::unknown) {
    // Only a matching trailer raises it; nothing fails it.
    fuzzCheck(check.formatVerdict == PayloadVerdict::notCheckable &&
                  (check.verdict == PayloadVerdict::notCheckable ||
                   (check.verdict == PayloadVerdict::ok && check.trailer.kind != PayloadTrailerKind::none)),
              "unknown is not checkable unless a trailer matches");
  }
  PayloadBudget budget = payloadBudgetFor(size);
  const PayloadJudgement judged = payloadJudge(data, size, {}, budget);
  if (judged.check.verdict == PayloadVerdict::failed) {
    fuzzCheck(payloadIdentification(judged.format) != PayloadIdentification::plausibility ||
                  judged.check.formatVerdict == PayloadVerdict::ok,
              "a plausible format fails only by its trailer");
  }
  const bool paddingLast = size > 0 && (data[size - 1] == 0x00 || data[size - 1] == 0xFF);
  const bool reachesEnd = check.end == size && check.trailer.kind == PayloadTrailerKind::none;
  if (check.verdict == PayloadVerdict::ok && reachesEnd && hasKnownEnd(format) && size > 0 &&
      !paddingLast) {
    // Copied, so the sanitizers see a read past the shorter end.
    const std::vector<std::uint8_t> shorter(data, data + size - 1);
    fuzzCheck(payloadCheck(format, shorter.data(), shorter.size()).verdict != PayloadVerdict::ok,
              "a passing payload fails without its last byte");
  }
}

void checkGenerated(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return;
  const PayloadFormat format = kGenerated[data[0] % (sizeof kGenerated / sizeof kGenerated[0])];
  const std::uint32_t seed = (std::uint32_t{data[1]} << 24) | (std::uint32_t{data[2]} << 16) |
                             (std::uint32_t{data[3]} << 8) | data[4];
  std::vector<std::uint8_t> payload = test::makePayload(format, seed);
  PayloadBudget budget = payloadBudgetFor(payload.size());
  fuzzCheck(payloadJudge(payload.data(), payload.size(), {}, budget).format == format,
            "a generated payload is identified as its format");
  fuzzCheck(payloadCheck(format, payload.data(), payload.size()).verdict == PayloadVerdict::ok,
            "a generated payload passes");
  for (std::size_t i = 5; i + 2 < size; i += 3) {
    const std::size_t at = ((std::size_t{data[i]} << 8) | data[i + 1]) % payload.size();
    payload[at] ^= data[i + 2];
  }
  static_cast<void>(payloadCheck(format, payload.data(), payload.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if ((data[0] & 1) == 0) {
    checkArbitrary(data + 1, size - 1);
  } else {
    checkGenerated(data + 1, size - 1);
  }
  return 0;
}
