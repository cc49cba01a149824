# Linux on 32-bit x86: Debian's i686-linux-gnu cross compilers, run under
# qemu-i386 (see debian-cross-linux.cmake).
set(OTAWRAP_CROSS_TRIPLE i686-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(OTAWRAP_QEMU qemu-i386)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross-linux.cmake")
