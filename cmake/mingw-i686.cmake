# Windows, 32-bit: the shipped program, built for size.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(THREAD_MODEL posix)
# Each function and datum in a section of its own, so that the linker drops what is not used;
# unwind tables only where exceptions pass. No link time stamp, no symbols: the same sources give
# the same bytes.
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables")
set(EXTRA_LINKER_FLAGS "-Wl,--gc-sections -s -Wl,--no-insert-timestamp")
# Wine's 32-bit loader: it needs a kernel that runs 32-bit code.
set(WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
