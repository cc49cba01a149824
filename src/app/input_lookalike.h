// What a convert input that is neither raw firmware nor Intel HEX looks like,
// told from its first bytes, for the message that points to `build`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace otawrap {

// "a gzip file", "a firmware payload (GBL)", ...: a common file kind (gzip,
// ZIP, PNG, PE executable, PDF, xz, text) or a payload format the payload
// module knows; "" when the bytes say nothing. head is the input's first bytes (at most 4 KiB).
std::string inputLookalike(const std::uint8_t* head, std::size_t size);

}  // namespace otawrap
