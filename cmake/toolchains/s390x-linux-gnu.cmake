# Linux on 64-bit IBM Z (big-endian): Debian's s390x-linux-gnu cross compilers,
# run under qemu-s390x (see debian-cross-linux.cmake).
set(OTAWRAP_CROSS_TRIPLE s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(OTAWRAP_QEMU qemu-s390x)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross-linux.cmake")
