// Processor instructions the hardware paths may use, detected once at run time.
//
// A capability is reported only when the processor has it and this build
// compiled the code that uses it (see ecc/hardware_paths.h). Every
// hardware path gives the same bytes as its portable twin, so the answer only
// changes speed. Nothing here allocates or fails.
#pragma once

namespace otawrap {

struct CpuFeatures {
  bool aes;     // AESENC, AESENCLAST (CPUID leaf 1, ECX bit 25) and PSHUFB (SSSE3, bit 9)
  bool pclmul;  // PCLMULQDQ (CPUID leaf 1, ECX bit 1)
  // SHA256RNDS2, SHA256MSG1/2 (CPUID leaf 7, EBX bit 29) with SSSE3 and SSE4.1
  // (leaf 1, ECX bits 9 and 19) for the byte shuffle and blend around them.
  bool sha;
  // AESKEYGENASSIST is the faster AES-MMO key schedule here: AMD processors
  // (CPUID leaf 0 vendor "AuthenticAMD"). Elsewhere the PSHUFB + AESENCLAST
  // schedule is faster; docs/performance.md has the measurements.
  bool fastKeygenAssist;
};

// The processor's features as CPUID reports them, asked on every call.
CpuFeatures detectCpuFeatures();

// detectCpuFeatures() of the first call; later calls return the same value.
// Inline so that the hot paths pay one predictable test per call.
inline const CpuFeatures& cpuFeatures() {
  static const CpuFeatures features = detectCpuFeatures();
  return features;
}

}  // namespace otawrap
