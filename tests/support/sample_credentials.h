// Generated signer credentials for tests and the bundled example. These are
// test keys made from a fixed seed: never use them for real devices.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace otawrap::test {

struct GeneratedCredentials {
  std::array<std::uint8_t, 8> ieeeAddress{};  // as written, most significant byte first
  std::array<std::uint8_t, 21> privateKey{};  // big-endian, nonzero modulo n
  std::array<std::uint8_t, 48> certificate{};

  // The credentials file text, labelled as a test key.
  std::string text() const;
};

// Random credentials from seed (std::mt19937); the private key is below 2^162.
GeneratedCredentials generateCredentials(std::uint32_t seed);

// The bundled example examples/test-credentials.txt: seed 2024.
inline constexpr std::uint32_t kSampleCredentialsSeed = 2024;

}  // namespace otawrap::test
