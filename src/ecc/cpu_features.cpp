// CPUID leaf 1 through the compiler's own wrapper: <cpuid.h> on GCC and Clang,
// <intrin.h> on MSVC. Other processors and portable-only builds report nothing.
#include "ecc/cpu_features.h"

#include "ecc/hardware_paths.h"

#if OTAWRAP_X86_64_HARDWARE_PATHS

#if defined(_MSC_VER)
#include <intrin.h>

namespace {
unsigned leaf1Ecx() {
  int registers[4] = {0, 0, 0, 0};
  __cpuid(registers, 1);
  return static_cast<unsigned>(registers[2]);
}

unsigned leaf7Ebx() {
  int registers[4] = {0, 0, 0, 0};
  __cpuid(registers, 0);
  if (registers[0] < 7) {
    return 0;
  }
  __cpuidex(registers, 7, 0);
  return static_cast<unsigned>(registers[1]);
}

// EBX, EDX, ECX of leaf 0: the vendor string in that order.
void vendorWords(unsigned words[3]) {
  int registers[4] = {0, 0, 0, 0};
  __cpuid(registers, 0);
  words[0] = static_cast<unsigned>(registers[1]);
  words[1] = static_cast<unsigned>(registers[3]);
  words[2] = static_cast<unsigned>(registers[2]);
}
}  // namespace

#else
#include <cpuid.h>

namespace {
unsigned leaf1Ecx() {
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 ? ecx : 0u;
}

unsigned leaf7Ebx() {
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 ? ebx : 0u;
}

void vendorWords(unsigned words[3]) {
  unsigned eax = 0;
  if (__get_cpuid(0, &eax, &words[0], &words[2], &words[1]) == 0) {
    words[0] = words[1] = words[2] = 0;
  }
}
}  // namespace
#endif

#else

namespace {
// No CPUID, or no hardware path compiled: nothing to offer.
unsigned leaf1Ecx() { return 0; }
unsigned leaf7Ebx() { return 0; }
void vendorWords(unsigned words[3]) { words[0] = words[1] = words[2] = 0; }
}  // namespace

#endif

namespace otawrap {

namespace {

// Bits of ECX for CPUID leaf 1 (Intel SDM vol. 2A, table 3-10).
constexpr unsigned kEcxPclmul = 1u << 1;
constexpr unsigned kEcxAes = 1u << 25;
constexpr unsigned kEcxSsse3 = 1u << 9;
constexpr unsigned kEcxSse41 = 1u << 19;
// Bit of EBX for CPUID leaf 7, sub-leaf 0 (Intel SDM vol. 2A, table 3-8).
constexpr unsigned kEbxSha = 1u << 29;

}  // namespace

CpuFeatures detectCpuFeatures() {
  const unsigned ecx = leaf1Ecx();
  // The AES path also shuffles bytes (its key schedule), so it needs SSSE3 too.
  const unsigned aes = kEcxAes | kEcxSsse3;
  // "AuthenticAMD" as the little-endian words of EBX, EDX, ECX.
  unsigned vendor[3];
  vendorWords(vendor);
  const bool amd = vendor[0] == 0x68747541u && vendor[1] == 0x69746E65u && vendor[2] == 0x444D4163u;
  const unsigned shuffles = kEcxSsse3 | kEcxSse41;
  const bool sha = (leaf7Ebx() & kEbxSha) != 0 && (ecx & shuffles) == shuffles;
  return CpuFeatures{(ecx & aes) == aes, (ecx & kEcxPclmul) != 0, sha, amd};
}

}  // namespace otawrap
