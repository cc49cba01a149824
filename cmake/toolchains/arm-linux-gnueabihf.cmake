# Linux on 32-bit ARM with hardware floating point (as on Raspberry Pi OS
# 32-bit): Debian's arm-linux-gnueabihf cross compilers, run under qemu-arm
# (see debian-cross-linux.cmake).
set(OTAWRAP_CROSS_TRIPLE arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(OTAWRAP_QEMU qemu-arm)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross-linux.cmake")
