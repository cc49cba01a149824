// Whether this build compiles the x86-64 hardware paths: AES-MMO on AES-NI
// (sign/mmo_aesni.cpp), GF(2^163) and GF(2^283) arithmetic on PCLMULQDQ
// (ecc/field_clmul.cpp, ecc/field283_clmul.cpp), SHA-256 on the SHA extensions
// (sign/sha256_shani.cpp) and the CPUID probe that chooses them at run time
// (ecc/cpu_features.cpp).
//
// Decided here alone, from what the compiler targets (its own predefined
// macros), so no toolchain file or build flag can disagree with the sources.
// The files enable the instructions per function with [[gnu::target(...)]] on
// GCC and Clang, so no file needs an instruction-set flag; MSVC needs nothing.
// OTAWRAP_PORTABLE_ONLY (CMake option, defined for the ecc and sign libraries)
// compiles the portable code alone. Include this only from those libraries.
#pragma once

#if !defined(OTAWRAP_PORTABLE_ONLY) && (defined(__x86_64__) || defined(_M_X64)) && \
    !defined(_M_ARM64EC)
#define OTAWRAP_X86_64_HARDWARE_PATHS 1
#else
#define OTAWRAP_X86_64_HARDWARE_PATHS 0
#endif
