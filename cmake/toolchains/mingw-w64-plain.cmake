# The plainest hand-written toolchain file for 64-bit Windows: the system name
# and the compiler, nothing else (no CMAKE_SYSTEM_PROCESSOR, no flags). CI
# builds otawrap with it (tools/run-cross-tests.sh) to show that the hardware
# paths need nothing from a toolchain file: the sources decide from what the
# compiler targets (src/ecc/hardware_paths.h). Releases use
# cmake/mingw-w64-x86_64.cmake, which also links the runtime in statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
