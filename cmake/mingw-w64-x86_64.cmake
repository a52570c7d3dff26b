# Cross-compiles for 64-bit Windows with Debian's mingw-w64 tool chain (the
# -posix compilers, whose libstdc++ has std::thread). The cross-built
# libraries come from build/windows-deps/prefix, which scripts/windows.sh
# fills; VELTRANE_WINDOWS_DEPS in the environment points elsewhere.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTRANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRANE_MINGW_TRIPLE}-windres)

if(DEFINED ENV{VELTRANE_WINDOWS_DEPS})
  set(VELTRANE_WINDOWS_DEPS "$ENV{VELTRANE_WINDOWS_DEPS}")
else()
  get_filename_component(VELTRANE_WINDOWS_DEPS
    "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/prefix" ABSOLUTE)
endif()

# Libraries, headers and CMake packages only from the prefix and the mingw-w64
# system root; programs (pkg-config, windres) from the host.
set(CMAKE_FIND_ROOT_PATH "${VELTRANE_WINDOWS_DEPS}" /usr/${VELTRANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the prefix's .pc files and nothing of the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${VELTRANE_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# zlib from libz-mingw-w64-dev linked in, not zlib1.dll beside the programs.
set(ZLIB_USE_STATIC_LIBS ON)

# The compiler's own run time (libgcc, libstdc++, winpthread) linked into
# every program and DLL, so that none of its DLLs has to be shipped. The
# driver names -lpthread after everything else and would take the import
# library, so the whole static winpthread comes first. A DLL exports none of
# the static libraries' symbols (run time, libmspack, zlib), only its own.
set(VELTRANE_MINGW_RUNTIME
  "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${VELTRANE_MINGW_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${VELTRANE_MINGW_RUNTIME} -Wl,--exclude-libs,ALL")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${VELTRANE_MINGW_RUNTIME} -Wl,--exclude-libs,ALL")

# The build's programs run under wine64 when CMake or CTest runs them (Data/
# from datagen.exe, test discovery, ctest), in a wine prefix of the build's
# own (the one scripts/wine-run.sh uses); the prefix's DLLs are found
# through WINEPATH.
if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all "WINEPREFIX=${CMAKE_BINARY_DIR}/wine" "WINEPATH=${VELTRANE_WINDOWS_DEPS}/bin"
    "WINEDLLOVERRIDES=mscoree,mshtml=" /usr/lib/wine/wine64)
endif()
