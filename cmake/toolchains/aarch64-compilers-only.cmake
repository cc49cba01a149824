# A toolchain file that names only the compilers (Debian's aarch64 cross
# compilers), so CMake believes it builds for the host: no CMAKE_SYSTEM_NAME,
# no CMAKE_SYSTEM_PROCESSOR. CI builds otawrap with it (tools/run-cross-tests.sh)
# to show that no host x86-64 flag reaches an aarch64 compiler: the sources
# decide from what the compiler targets (src/ecc/hardware_paths.h).
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
