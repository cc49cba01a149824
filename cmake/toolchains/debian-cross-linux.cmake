# Cross-compiles for Linux on another processor with Debian's cross compilers
# (package g++-<triple>), for the cross-architecture differential test
# (tools/run-cross-tests.sh). Included by the per-architecture files, which set
# OTAWRAP_CROSS_TRIPLE, CMAKE_SYSTEM_PROCESSOR and OTAWRAP_QEMU (the qemu-user
# program for the processor). Executables are linked statically, so qemu-user
# runs them without a sysroot; CMAKE_CROSSCOMPILING_EMULATOR names it for
# anything CMake runs.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${OTAWRAP_CROSS_TRIPLE}-g++)
set(CMAKE_C_COMPILER ${OTAWRAP_CROSS_TRIPLE}-gcc)
set(CMAKE_CROSSCOMPILING_EMULATOR ${OTAWRAP_QEMU})

set(CMAKE_FIND_ROOT_PATH /usr/${OTAWRAP_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
