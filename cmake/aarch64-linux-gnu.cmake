# Cross build for 64-bit ARM (Debian's arm64) on an amd64 Debian, with Debian's own cross
# toolchain and the arm64 -dev packages installed beside the host's (multiarch):
#   dpkg --add-architecture arm64 && apt-get install crossbuild-essential-arm64 qemu-user \
#       qt6-base-dev:arm64 ...                       (scripts/cross-arm64.sh does it all)
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The generators of the sounds, figures and icons, and the test suites, are arm64 programs:
# CMake runs them through qemu-user, so the data comes from the code the player runs.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# The target's libraries, headers and CMake packages live in the same root as the host's,
# under the multiarch folders; the build tools (moc, rcc, pkg-config) are the host's.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# pkg-config must read the arm64 .pc files, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

find_program(POKO_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(NOT POKO_QEMU_AARCH64)
    message(FATAL_ERROR "qemu-aarch64 is needed to run the generators and tests (apt-get install qemu-user)")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${POKO_QEMU_AARCH64})

# CPack would otherwise label the package with the build machine's architecture.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
